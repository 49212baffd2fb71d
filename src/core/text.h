#pragma once
// Text helpers shared by every layer. Text is UTF-8 in std::string throughout
// the logic; only the Win32 adapters see UTF-16.
#include <string>
#include <string_view>

namespace velmora {

// UTF-8 <-> UTF-16. Invalid UTF-8 bytes become U+FFFD; lone surrogates too.
std::u16string utf8ToUtf16(std::string_view s);
std::string utf16ToUtf8(std::u16string_view s);
bool isValidUtf8(std::string_view s);
// Whether `s` is a text a user could have typed into a field: valid UTF-8
// without a NUL, which Windows' functions would take for its end and so
// read another text than ours.
bool isTypedText(std::string_view s);

// Upper-cases one UTF-16 code unit with the simple (one-to-one) mapping that
// Windows' ordinal ignore-case comparison uses.
char16_t upperOrdinal(char16_t c);

// Case-insensitive equality as CompareStringOrdinal(..., TRUE) decides it.
// Every comparison of rows against stored records goes through this.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// A key of the text that equals another's exactly when equalsIgnoreCase
// says the texts are equal: for sets and maps of texts that ignore case.
std::string foldedIgnoreCase(std::string_view s);

// Whether `needle` occurs in `haystack`, ignoring case as equalsIgnoreCase
// does. An empty needle occurs everywhere.
bool containsIgnoreCase(std::string_view haystack, std::string_view needle);

// A menu or button text without its mnemonic: a single & goes, && stays as &.
std::string withoutMnemonic(std::string_view text);

// ASCII-only upper-casing (root key names are ASCII).
std::string asciiUpper(std::string_view s);

bool endsWith(std::string_view s, std::string_view suffix);
bool startsWith(std::string_view s, std::string_view prefix);

// Replaces every non-overlapping occurrence of `from`, left to right, in one pass.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);

}  // namespace velmora
