#pragma once
// XML text read by XmlLite into the element tree portable code reads
// (core/xml_element.h): names resolved into namespaces, attributes
// included, never a document type.
#include <optional>
#include <string_view>

#include "core/xml_element.h"

namespace velmora::win32 {

// Elements nested deeper than this make no tree: the text may come from
// anyone, and nothing Velmora reads nests a tenth as deep.
inline constexpr std::size_t kMostXmlDepth = 256;

// The root element of `xml`, text already decoded (whatever encoding its
// declaration names). Nothing when it is not well-formed, has a document
// type, uses an undeclared prefix, gives an attribute twice (by its written
// or its namespace name) or nests deeper than kMostXmlDepth.
std::optional<XmlElement> readXmlTree(std::wstring_view xml);

}  // namespace velmora::win32
