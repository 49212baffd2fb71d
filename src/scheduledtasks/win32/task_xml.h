#pragma once
// A task's XML definition read by XmlLite into the element tree that
// readTaskDefinition interprets.
#include <optional>
#include <string>
#include <string_view>

#include "scheduledtasks/task_definition.h"

namespace velmora::win32 {

// The definition in the text the scheduler hands (a BSTR); its declaration
// may name UTF-16 or UTF-8, the text is read as the characters it is.
// Nothing when it is not well-formed, has a document type, or is no task.
std::optional<TaskDefinition> parseTaskDefinition(std::wstring_view xml);
// The same for UTF-8 text, as the change history keeps it.
std::optional<TaskDefinition> parseTaskDefinition(const std::string& utf8);

}  // namespace velmora::win32
