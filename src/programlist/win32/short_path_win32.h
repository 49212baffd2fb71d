#pragma once
#include "programlist/short_path.h"

namespace velmora::win32 {

// GetShortPathNameW, sized from the API so no length limit applies.
class Win32ShortPaths : public ShortPathPort {
 public:
  [[nodiscard]] std::string shortForm(const std::string& path) override;
};

}  // namespace velmora::win32
