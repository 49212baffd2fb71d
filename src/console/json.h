#pragma once
// JSON as velmorac writes and reads it (RFC 8259): strings escaped so that
// any reader takes them back exactly, and a reader for the baselines a
// script hands back, written by velmorac or by any other JSON writer.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// Appends `text` (UTF-8) as a JSON string, quotes included. Every control
// character (C0, DEL and C1) and the line and paragraph separators are
// written as \u escapes, so the text never drives a terminal or breaks a
// line-by-line reader; a surrogate that stands alone (WTF-8: a UTF-16 text
// of Windows that is no valid Unicode) as its own \u escape, and bytes that
// are no UTF-8 as U+FFFD.
void appendJsonString(std::string& out, std::string_view text);

struct JsonValue {
  enum class Kind { Null, Boolean, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  // A string's text (UTF-8; a lone surrogate escaped as \uD800 comes back
  // as WTF-8), or a number as it was written.
  std::string text;
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;

  // The first member named `name`; null when there is none or this is no object.
  const JsonValue* member(std::string_view name) const;
};

// Nothing when the text is no JSON document (one value, white space around
// it, a byte-order mark allowed), or nests deeper than kJsonDepth.
inline constexpr std::size_t kJsonDepth = 64;
std::optional<JsonValue> parseJson(std::string_view text);

}  // namespace velmora
