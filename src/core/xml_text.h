#pragma once
// The program's own XML files as text: one root, child elements whose data
// are all in attributes. Written here; read back through the XML parsers
// (core/win32/xml_file.h), which hand out the same name and value pairs.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// An element's attributes, in document order.
using XmlFields = std::vector<std::pair<std::string, std::string>>;

// Whether `name` is written as an attribute name: ASCII letters, digits,
// '_', '-' and '.', not starting with a digit, '-' or '.'.
bool xmlName(std::string_view name);

// XML 1.0 cannot hold most control characters, not even escaped, nor what
// is no Unicode text (a lone surrogate, bytes that are no UTF-8). Such a
// value is stored in hexadecimal under its name + "-hex", so it comes
// back exactly; readableFields turns such a field back.
XmlFields storableFields(XmlFields fields);
// Nothing when a hexadecimal field does not read, or when a field is given
// twice (plainly, in hexadecimal or both): two readers could read it apart.
std::optional<XmlFields> readableFields(const XmlFields& stored);

// Appends `value` escaped for a double-quoted attribute.
void appendXmlAttributeValue(std::string& out, std::string_view value);
// Appends <element name="value" .../> and a line end; fields whose name
// xmlName refuses are left out.
void appendXmlElement(std::string& out, std::string_view element, const XmlFields& fields);

}  // namespace velmora
