#include "console/json.h"

namespace velmora {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendEscape(std::string& out, char32_t unit) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

// The code point of the UTF-8 (or WTF-8) sequence at text[i] and its
// length; length 0 for a byte that starts no sequence.
std::pair<char32_t, std::size_t> decodeAt(std::string_view text, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  std::size_t length = 0;
  char32_t cp = 0, least = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, cp = b0 & 0x1F, least = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, cp = b0 & 0x0F, least = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, cp = b0 & 0x07, least = 0x10000;
  } else {
    return {0, 0};
  }
  if (i + length > text.size()) return {0, 0};
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return {0, 0};
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF) return {0, 0};
  return {cp, length};
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<JsonValue> document() {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
    JsonValue value;
    if (!parseValue(value, 0)) return std::nullopt;
    skipBlanks();
    if (at_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void skipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n')) {
      ++at_;
    }
  }
  bool take(char c) {
    skipBlanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool word(std::string_view w) {
    if (text_.substr(at_, w.size()) != w) return false;
    at_ += w.size();
    return true;
  }

  bool parseValue(JsonValue& value, std::size_t depth) {
    if (depth >= kJsonDepth) return false;
    skipBlanks();
    if (at_ >= text_.size()) return false;
    switch (text_[at_]) {
      case '{': return parseObject(value, depth);
      case '[': return parseArray(value, depth);
      case '"': value.kind = JsonValue::Kind::String; return parseString(value.text);
      case 't': value.kind = JsonValue::Kind::Boolean, value.boolean = true; return word("true");
      case 'f': value.kind = JsonValue::Kind::Boolean, value.boolean = false; return word("false");
      case 'n': value.kind = JsonValue::Kind::Null; return word("null");
      default: value.kind = JsonValue::Kind::Number; return parseNumber(value.text);
    }
  }

  bool parseObject(JsonValue& value, std::size_t depth) {
    value.kind = JsonValue::Kind::Object;
    ++at_;
    if (take('}')) return true;
    do {
      skipBlanks();
      std::pair<std::string, JsonValue> member;
      if (at_ >= text_.size() || text_[at_] != '"' || !parseString(member.first) || !take(':') ||
          !parseValue(member.second, depth + 1)) {
        return false;
      }
      value.members.push_back(std::move(member));
    } while (take(','));
    return take('}');
  }

  bool parseArray(JsonValue& value, std::size_t depth) {
    value.kind = JsonValue::Kind::Array;
    ++at_;
    if (take(']')) return true;
    do {
      value.items.emplace_back();
      if (!parseValue(value.items.back(), depth + 1)) return false;
    } while (take(','));
    return take(']');
  }

  bool digits() {
    const std::size_t start = at_;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
    return at_ > start;
  }

  bool parseNumber(std::string& out) {
    const std::size_t start = at_;
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    if (at_ < text_.size() && text_[at_] == '0') {
      ++at_;
    } else if (!digits()) {
      return false;
    }
    if (at_ < text_.size() && text_[at_] == '.' && (++at_, !digits())) return false;
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (!digits()) return false;
    }
    out = std::string(text_.substr(start, at_ - start));
    return true;
  }

  bool hexUnit(char32_t& unit) {
    if (at_ + 4 > text_.size()) return false;
    unit = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text_[at_++];
      const int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
      if (d < 0) return false;
      unit = unit * 16 + static_cast<char32_t>(d);
    }
    return true;
  }

  bool parseString(std::string& out) {
    ++at_;  // the opening quote
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) return false;
      switch (const char e = text_[at_++]) {
        case '"':
        case '\\':
        case '/': out += e; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          char32_t unit = 0;
          if (!hexUnit(unit)) return false;
          // A high surrogate followed by an escaped low one is one code
          // point; any other surrogate stands alone, as Windows lets it.
          if (unit >= 0xD800 && unit <= 0xDBFF && text_.substr(at_, 2) == "\\u") {
            const std::size_t back = at_;
            at_ += 2;
            char32_t low = 0;
            if (!hexUnit(low)) return false;
            if (low >= 0xDC00 && low <= 0xDFFF) {
              unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            } else {
              at_ = back;
            }
          }
          appendUtf8(out, unit);
          break;
        }
        default: return false;
      }
    }
    return false;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
          if (c < 0x20 || c == 0x7F) {
            appendEscape(out, c);
          } else {
            out += static_cast<char>(c);
          }
      }
      ++i;
      continue;
    }
    const auto [cp, length] = decodeAt(text, i);
    if (length == 0) {
      appendEscape(out, 0xFFFD);
      ++i;
    } else if (cp <= 0x9F || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0x2028 || cp == 0x2029) {
      appendEscape(out, cp);
      i += length;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  out += '"';
}

const JsonValue* JsonValue::member(std::string_view name) const {
  for (const auto& [key, value] : members) {
    if (key == name) return &value;
  }
  return nullptr;
}

std::optional<JsonValue> parseJson(std::string_view text) { return Parser(text).document(); }

}  // namespace velmora
