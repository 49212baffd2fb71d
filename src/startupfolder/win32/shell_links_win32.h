#pragma once
#include "startupfolder/shell_link_port.h"

namespace velmora::win32 {

// Shortcuts through the system's shell-link object (IShellLinkW and
// IPersistFile). Each call joins a COM apartment for its own duration if the
// thread is not in one.
class Win32ShellLinks : public ShellLinkPort {
 public:
  [[nodiscard]] LinkStatus resolve(const std::string& link, std::string& target) override;
  [[nodiscard]] LinkStatus arguments(const std::string& link, std::string& args) override;
  [[nodiscard]] LinkStatus create(const std::string& target, const std::string& link) override;
  [[nodiscard]] LinkStatus retarget(const std::string& source, const std::string& target, const std::string& link) override;
};

}  // namespace velmora::win32
