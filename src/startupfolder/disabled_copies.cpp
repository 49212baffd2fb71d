#include "startupfolder/disabled_copies.h"

#include "core/text.h"
#include "startupfolder/folder_scan.h"

namespace velmora {

std::string disabledCopyFolder(std::string_view programDirectory) {
  return withoutTrailingBackslash(programDirectory) + "\\Disabled";
}

std::uint64_t entryKey(std::string_view folder, std::string_view name) {
  std::u16string wide = utf8ToUtf16(entryPath(folder, name));
  for (char16_t& c : wide) c = upperOrdinal(c);
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char byte : utf16ToUtf8(wide)) {
    hash ^= byte;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string disabledCopyName(std::string_view folder, std::string_view name) {
  static const char digits[] = "0123456789abcdef";
  std::uint64_t key = entryKey(folder, name);
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, key >>= 4) hex[static_cast<std::size_t>(i)] = digits[key & 0xF];
  return hex + ".copy";
}

std::string disabledCopyPath(std::string_view programDirectory, std::string_view folder, std::string_view name) {
  return disabledCopyFolder(programDirectory) + "\\" + disabledCopyName(folder, name);
}

std::string replacedCopyPath(std::string_view programDirectory, std::string_view folder, std::string_view name) {
  return disabledCopyPath(programDirectory, folder, name) + ".replaced";
}

}  // namespace velmora
