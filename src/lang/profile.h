#pragma once
// Reading of INI ("profile") text: how a language file is decoded and looked up.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Turns text in the legacy (ANSI) code page into UTF-8.
using LegacyDecoder = std::function<std::string(std::string_view bytes)>;

// Windows-1252, the legacy code page of Western systems; used where no
// system code page can be asked (native builds).
std::string decodeWindows1252(std::string_view bytes);

// Decodes a file's bytes to UTF-8: UTF-16 LE or UTF-8 with a byte-order mark,
// plain UTF-8, or else the legacy code page through `legacy`.
std::string decodeProfileText(std::string_view bytes, const LegacyDecoder& legacy);

// Looks up `key` in `section` as the profile functions do: section and key
// names without regard to case, blanks around names and values ignored, one
// pair of matching enclosing quotes removed, the first entry winning. Lines
// starting with ';' are comments.
std::optional<std::string> profileLookup(std::string_view text, std::string_view section,
                                         std::string_view key);

}  // namespace velmora
