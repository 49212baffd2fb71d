#pragma once
// pugixml reads names as written; the program's XML reader resolves them
// into namespaces. This builds the same element tree from pugixml, so the
// portable reading is tested on what the platform reader would hand it.
#include <optional>
#include <string>

#include "core/xml_element.h"

namespace velmora::testing {

// The root element with names resolved through the xmlns declarations in
// scope, attributes too; nothing when the text is not well-formed, uses an
// undeclared prefix, gives an attribute twice or has a document type (the
// program's reader refuses those).
std::optional<XmlElement> namespacedTree(const std::string& xml);

}  // namespace velmora::testing
