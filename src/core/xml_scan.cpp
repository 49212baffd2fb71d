#include "core/xml_scan.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace velmora {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':'; }
bool isNameChar(char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// Where a name of plain ASCII that starts at `at` ends; npos for none.
std::size_t nameEnd(std::string_view b, std::size_t at) {
  if (at >= b.size() || !isNameStart(b[at])) return std::string_view::npos;
  while (at < b.size() && isNameChar(b[at])) ++at;
  return at;
}

// Whether a declaration (the text after "<?xml") names UTF-8 or nothing.
bool declaresUtf8(std::string_view declaration) {
  const std::size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return true;
  const std::size_t quote = declaration.find_first_of("\"'", at);
  if (quote == std::string_view::npos) return false;
  const std::size_t end = declaration.find(declaration[quote], quote + 1);
  if (end == std::string_view::npos) return false;
  std::string name(declaration.substr(quote + 1, end - quote - 1));
  std::transform(name.begin(), name.end(), name.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
  return name == "UTF-8";
}

}  // namespace

bool plainXmlMarkup(std::string_view b) {
  constexpr auto npos = std::string_view::npos;
  const std::size_t start = b.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  // Elements opened and not yet closed: a file cut short leaves some open,
  // or has none at all.
  std::size_t open = 0;
  bool elements = false;
  for (std::size_t i = b.find('<', start); i != npos; i = b.find('<', i)) {
    if (b.substr(i, 4) == "<!--" || b.substr(i, 9) == "<![CDATA[") {
      i = b.find(b[i + 2] == '-' ? "-->" : "]]>", i + 4);
      if (i == npos) return false;
      i += 3;
      continue;
    }
    if (b.substr(i, 2) == "<?") {
      const std::size_t at = i;
      const std::size_t end = nameEnd(b, i + 2);
      if (end == npos) return false;
      std::string target(b.substr(i + 2, end - i - 2));
      std::transform(target.begin(), target.end(), target.begin(), [](char c) { return c | 0x20; });
      i = b.find("?>", end);
      if (i == npos) return false;
      if (target == "xml" && (at != start || !declaresUtf8(b.substr(end, i - end)))) return false;
      i += 2;
      continue;
    }
    if (b.substr(i, 2) == "<!") return false;  // a document type
    const bool closing = b.substr(i, 2) == "</";
    if (closing && open == 0) return false;
    elements = true;
    bool empty = false;
    i = nameEnd(b, i + (closing ? 2 : 1));
    for (;;) {
      if (i == npos) return false;
      const std::size_t before = i;
      while (i < b.size() && isSpace(b[i])) ++i;
      if (i >= b.size()) return false;
      if (b[i] == '>') break;
      if (b[i] == '/' && !closing) {
        if (b.substr(i, 2) != "/>") return false;
        ++i;
        empty = true;
        break;
      }
      if (closing || i == before) return false;  // an attribute needs space before it
      i = nameEnd(b, i);
      while (i < b.size() && isSpace(b[i])) ++i;
      if (i >= b.size() || b[i] != '=') return false;
      ++i;
      while (i < b.size() && isSpace(b[i])) ++i;
      if (i >= b.size() || (b[i] != '"' && b[i] != '\'')) return false;
      i = b.find(b[i], i + 1);
      if (i != npos) ++i;
    }
    if (closing) {
      --open;
    } else if (!empty) {
      ++open;
    }
    ++i;
  }
  return elements && open == 0;
}

bool plainXmlCharacters(std::string_view b) {
  for (std::size_t i = 0; i < b.size();) {
    const auto c = static_cast<unsigned char>(b[i]);
    if (c < 0x80) {
      if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
      if (c == '&') {
        const std::string_view rest = b.substr(i);
        const bool named = rest.substr(0, 5) == "&amp;" || rest.substr(0, 4) == "&lt;" || rest.substr(0, 4) == "&gt;" ||
                           rest.substr(0, 6) == "&quot;" || rest.substr(0, 6) == "&apos;";
        if (!named) return false;
      }
      ++i;
      continue;
    }
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (length == 0 || c > 0xF4 || i + length > b.size()) return false;
    std::uint32_t code = c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(b[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF) {
      return false;
    }
    i += length;
  }
  return true;
}


bool plainXml(std::string_view bytes) { return plainXmlCharacters(bytes) && plainXmlMarkup(bytes); }

}  // namespace velmora
