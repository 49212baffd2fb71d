#include "core/format.h"

namespace velmora {

std::string safeFormat(std::string_view format, const std::vector<std::string>& values) {
  std::string out;
  out.reserve(format.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      const char d = format[i + 1];
      if (d == 's') {
        if (next < values.size()) out += values[next];
        ++next;
        ++i;
        continue;
      }
      if (d == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace velmora
