#pragma once
// How the items of config.xml are read: by every listing, and by every
// change before and after it (the read-back of what it is about to write).
// XmlLite reads where it is sure to read what MSXML reads; MSXML reads the
// rest, so the result is always MSXML's.
#include <string>
#include <vector>

#include "core/store.h"
#include "core/win32/xml_document.h"

namespace velmora::win32 {

// The items of one kind in the bytes of a store, in document order,
// numbered as MSXML's selection numbers them (incomplete ones counted but
// not listed). Unreadable for bytes that are no store: not well-formed,
// another root, or a root or container in a namespace or under an
// undeclared prefix, which would take what a change writes out of sight.
// `loaded`: MSXML's document of the same bytes when the caller has one.
// On anything but Ok `out` is untouched.
[[nodiscard]] StoreStatus readStore(const std::string& bytes, RecordKind kind, std::vector<StoredItem>& out,
                                    IXMLDOMDocument* loaded = nullptr);

}  // namespace velmora::win32
