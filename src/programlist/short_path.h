#pragma once
// The short (8.3) form of a path. A program-list value is split at blanks,
// so a program is written into one by a form of its path without blanks.
#include <string>

namespace velmora {

class ShortPathPort {
 public:
  ShortPathPort() = default;
  ShortPathPort(const ShortPathPort&) = delete;
  ShortPathPort& operator=(const ShortPathPort&) = delete;
  virtual ~ShortPathPort() = default;
  // The short form of an existing path, or empty text when none can be made
  // (the path does not exist, or is not a path at all).
  [[nodiscard]] virtual std::string shortForm(const std::string& path) = 0;
};

// A port that never makes a short form: callers then use the path as
// entered. It stands in where no real one is given.
ShortPathPort& noShortPaths();

}  // namespace velmora
