#pragma once
// The program's own XML files (config.xml, history.xml, seen.xml), read and
// checked through MSXML. The store's own reading is in store_msxml.h.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::win32 {

// A plain XML file of one root whose child elements keep their data in
// attributes (the change history).
enum class XmlFileState { Loaded, Missing, Unreadable };
using XmlAttributes = std::vector<std::pair<std::string, std::string>>;
// Every `element` child of the root, its attributes in document order, and
// the root's own attributes when asked for. On anything but Loaded the
// outputs are untouched; a file whose root is not `root` is Unreadable.
XmlFileState readXmlElements(const std::string& path, std::wstring_view root, std::wstring_view element,
                             std::vector<XmlAttributes>& out, XmlAttributes* rootAttributes = nullptr);
// Whether the bytes parse as an XML document with that root.
bool parsesWithRoot(const std::string& bytes, std::wstring_view root);

// True when the MSXML document class is registered with its server
// (checked at start-up, without loading it).
bool xmlParserInstalled();

}  // namespace velmora::win32
