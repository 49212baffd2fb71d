#include "console/console_prompt.h"

#include "core/format.h"
#include "lang/language_table.h"

namespace velmora {

bool ConsolePrompt::answerNo(const std::string& question) {
  write_(question);
  write_(translator_.translate("_ConsoleAnsweredNo", Escapes::Convert));
  return false;
}

}  // namespace velmora
