#include "pane/path_ellipsis.h"

#include <array>
#include <cstddef>
#include <vector>

#include "core/text.h"

namespace velmora {

namespace {

// The components that tell one Run key from its neighbours when the
// generic ones around them are gone: the 32-bit view, the policy keys and
// the RunOnceEx groups.
bool setsPlacesApart(std::string_view component) {
  static constexpr std::array<std::string_view, 4> kKept = {"WOW6432Node", "Policies", "Explorer", "RunOnceEx"};
  for (const std::string_view kept : kKept) {
    if (equalsIgnoreCase(component, kept)) return true;
  }
  return false;
}

// The short names Windows' own tools use for the root keys: the root stays
// readable where its long name leaves no room for the parts after it.
std::string_view shortRoot(std::string_view root) {
  static constexpr std::array<std::array<std::string_view, 2>, 5> kShort = {{{"HKEY_LOCAL_MACHINE", "HKLM"},
                                                                             {"HKEY_CURRENT_USER", "HKCU"},
                                                                             {"HKEY_CLASSES_ROOT", "HKCR"},
                                                                             {"HKEY_USERS", "HKU"},
                                                                             {"HKEY_CURRENT_CONFIG", "HKCC"}}};
  for (const auto& [name, abbreviation] : kShort) {
    if (equalsIgnoreCase(root, name)) return abbreviation;
  }
  return root;
}

std::vector<std::string_view> split(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t end = path.find('\\', from);
    parts.push_back(path.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
    if (end == std::string_view::npos) break;
    from = end + 1;
  }
  return parts;
}

// The path's first bytes (never half a character) and the ellipsis: the
// longest that fits, or the ellipsis alone.
std::string endEllipsis(std::string_view path, const FitsText& fits) {
  std::vector<std::size_t> cuts;  // where a character begins
  for (std::size_t i = 1; i < path.size(); ++i) {
    if ((static_cast<unsigned char>(path[i]) & 0xC0) != 0x80) cuts.push_back(i);
  }
  // Fitting only gets harder as the prefix grows: halve the search.
  std::size_t low = 0, high = cuts.size();  // answer among cuts[0..low) fits
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (fits(std::string(path.substr(0, cuts[mid])) + std::string(kEllipsis))) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  if (low == 0) return std::string(kEllipsis);
  return std::string(path.substr(0, cuts[low - 1])) + std::string(kEllipsis);
}

}  // namespace

std::string middleEllipsis(std::string_view path, const FitsText& fits) {
  std::string whole(path);
  if (fits(whole)) return whole;
  const std::vector<std::string_view> parts = split(path);
  // "\\server\share" is one root, as a drive or a root key is.
  const std::size_t rootParts = (path.substr(0, 2) == "\\\\") ? 4 : 1;
  if (parts.size() < rootParts + 1) return endEllipsis(path, fits);
  std::string root(parts[0]);
  for (std::size_t i = 1; i < rootParts; ++i) (root += '\\') += parts[i];
  const std::string_view last = parts.back();
  const std::vector<std::string_view> middle(parts.begin() + static_cast<std::ptrdiff_t>(rootParts), parts.end() - 1);

  // The path after `head` (the root or its short name), then with the
  // generic components left out from the left, one at a time: the first
  // form that fits, or "".
  const auto dropGeneric = [&](const std::string& head) {
    std::vector<bool> shown(middle.size(), true);
    const auto form = [&] {
      std::string text = head;
      bool inGap = false;
      for (std::size_t i = 0; i < middle.size(); ++i) {
        if (shown[i]) {
          (text += '\\') += middle[i];
        } else if (!inGap) {
          (text += '\\') += kEllipsis;
        }
        inGap = !shown[i];
      }
      return (text += '\\') += last;
    };
    if (std::string text = form(); fits(text)) return text;
    for (std::size_t i = 0; i < middle.size(); ++i) {
      if (setsPlacesApart(middle[i])) continue;
      shown[i] = false;
      if (std::string text = form(); fits(text)) return text;
    }
    return std::string();
  };
  if (std::string text = dropGeneric(root); !text.empty()) return text;
  const std::string shortName(shortRoot(root));
  if (shortName != root) {
    if (std::string text = dropGeneric(shortName); !text.empty()) return text;
  }
  if (!middle.empty()) {
    std::string text = shortName + '\\' + std::string(kEllipsis) + '\\' + std::string(last);
    if (fits(text)) return text;
  }
  return endEllipsis(path, fits);
}

}  // namespace velmora
