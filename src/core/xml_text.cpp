#include "core/xml_text.h"

#include <algorithm>

#include "core/text.h"

namespace velmora {

namespace {

constexpr std::string_view kHexSuffix = "-hex";

// Control characters, and what is no Unicode text at all (bytes that are no
// UTF-8, a surrogate, U+FFFE and U+FFFF: EF BF BE and EF BF BF).
bool cannotHold(std::string_view text) {
  if (!isValidUtf8(text)) return true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    if (u < 0x20 && u != '\t' && u != '\r' && u != '\n') return true;
    if (u == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
        (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
      return true;
    }
  }
  return false;
}

std::string toHex(std::string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() * 2);
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    out.push_back(kDigits[u >> 4]);
    out.push_back(kDigits[u & 0xF]);
  }
  return out;
}

std::optional<std::string> fromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  const auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
  }
  return out;
}

}  // namespace

bool xmlName(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    const bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (!letter && (i == 0 || !other)) return false;
  }
  return true;
}

XmlFields storableFields(XmlFields fields) {
  for (auto& [name, value] : fields) {
    if (!cannotHold(value)) continue;
    name += kHexSuffix;
    value = toHex(value);
  }
  return fields;
}

std::optional<XmlFields> readableFields(const XmlFields& stored) {
  XmlFields fields = stored;
  for (auto& [name, value] : fields) {
    if (name.size() <= kHexSuffix.size() ||
        name.compare(name.size() - kHexSuffix.size(), kHexSuffix.size(), kHexSuffix) != 0) {
      continue;
    }
    auto text = fromHex(value);
    if (!text) return std::nullopt;
    name.resize(name.size() - kHexSuffix.size());
    value = std::move(*text);
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    for (std::size_t j = i + 1; j < fields.size(); ++j) {
      if (fields[i].first == fields[j].first) return std::nullopt;
    }
  }
  return fields;
}

void appendXmlAttributeValue(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      // Attribute values lose bare line breaks and tabs to normalisation.
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      case '\t': out += "&#9;"; break;
      default:
        // Other control characters cannot stand in XML 1.0 at all
        // (storableFields keeps such values in hexadecimal).
        if (static_cast<unsigned char>(c) < 0x20) {
          out += "&#xFFFD;";
        } else {
          out.push_back(c);
        }
    }
  }
}

void appendXmlElement(std::string& out, std::string_view element, const XmlFields& fields) {
  out += '<';
  out += element;
  for (const auto& [name, value] : fields) {
    if (!xmlName(name)) continue;
    out += ' ';
    out += name;
    out += "=\"";
    appendXmlAttributeValue(out, value);
    out += '"';
  }
  out += "/>\r\n";
}

}  // namespace velmora
