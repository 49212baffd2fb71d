#include "scheduledtasks/win32/task_xml.h"

#include "core/win32/xml_tree.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

std::optional<TaskDefinition> parseTaskDefinition(std::wstring_view xml) {
  const std::optional<XmlElement> root = readXmlTree(xml);
  return root ? readTaskDefinition(*root) : std::nullopt;
}

std::optional<TaskDefinition> parseTaskDefinition(const std::string& utf8) {
  return parseTaskDefinition(std::wstring_view(widen(utf8)));
}

}  // namespace velmora::win32
