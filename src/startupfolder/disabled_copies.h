#pragma once
// Where Disable keeps the exact copy of a file it takes out of a startup
// folder, so that Enable can put the very same file back: a folder beside
// config.xml, one file per entry, named from a hash of the entry's path.
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// <program directory>\Disabled
std::string disabledCopyFolder(std::string_view programDirectory);

// FNV-1a (64 bit) of the UTF-8 bytes of the entry path (folder without a
// trailing backslash, backslash, name) after ordinal upper-casing, so the
// key ignores case exactly as the store's comparisons do.
std::uint64_t entryKey(std::string_view folder, std::string_view name);

// 16 lower-case hex digits of entryKey, then ".copy".
std::string disabledCopyName(std::string_view folder, std::string_view name);

std::string disabledCopyPath(std::string_view programDirectory, std::string_view folder, std::string_view name);

// Where a change keeps a file it is about to replace until the change has
// committed: beside the entry's disabled copy, ending in ".replaced".
std::string replacedCopyPath(std::string_view programDirectory, std::string_view folder, std::string_view name);

}  // namespace velmora
