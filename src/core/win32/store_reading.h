#pragma once
// How the items of config.xml are read: by every listing, and by every
// change before and after it (the read-back of what it is about to write).
// XmlLite reads where it is sure to read what MSXML reads; MSXML reads the
// rest, so the result is always MSXML's.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/store.h"
#include "core/win32/xml_document.h"

namespace velmora::win32 {

// Items by their element's name.
using ItemsByKind = std::map<std::string, std::vector<StoredItem>, std::less<>>;

// The items of one kind in the bytes of a store, in document order,
// numbered as MSXML's selection numbers them (incomplete ones counted but
// not listed). Unreadable for bytes that are no store: not well-formed,
// another root, or a root or container in a namespace or under an
// undeclared prefix, which would take what a change writes out of sight.
// `loaded`: MSXML's document of the same bytes when the caller has one.
// On anything but Ok `out` is untouched.
[[nodiscard]] StoreStatus readStore(const std::string& bytes, RecordKind kind, std::vector<StoredItem>& out,
                                    IXMLDOMDocument* loaded = nullptr);

// The items of every kind at once, by element name, as readStore would list
// each (a kind absent from `out` has none): a file that holds several kinds
// is read once for all of them. Nothing where readStore would ask MSXML;
// Unreadable for bytes that are no store. On anything but Ok `out` is
// untouched.
[[nodiscard]] std::optional<StoreStatus> readEveryKind(const std::string& bytes, ItemsByKind& out);

}  // namespace velmora::win32
