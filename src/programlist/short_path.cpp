#include "programlist/short_path.h"

namespace velmora {

namespace {
class NoShortPaths : public ShortPathPort {
 public:
  [[nodiscard]] std::string shortForm(const std::string&) override { return {}; }
};
}  // namespace

ShortPathPort& noShortPaths() {
  static NoShortPaths none;
  return none;
}

}  // namespace velmora
