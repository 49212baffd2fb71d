#pragma once
#include <windows.h>
#include <shobjidl.h>

#include "platform/win32/com_ptr.h"
#include "startupfolder/shell_link_port.h"

namespace velmora::win32 {

// Shortcuts through the system's shell-link object (IShellLinkW and
// IPersistFile). Each call joins a COM apartment for its own duration if the
// thread is not in one. Destroy it while the apartment it was used in is
// still up (it may hold the shell-link class object of that apartment).
class Win32ShellLinks : public ShellLinkPort {
 public:
  Win32ShellLinks() = default;
  ~Win32ShellLinks() override;
  Win32ShellLinks(const Win32ShellLinks&) = delete;
  Win32ShellLinks& operator=(const Win32ShellLinks&) = delete;

  [[nodiscard]] LinkStatus resolve(const std::string& link, std::string& target) override;
  [[nodiscard]] LinkStatus arguments(const std::string& link, std::string& args) override;
  [[nodiscard]] LinkStatus read(const std::string& link, std::string& target, std::string& args) override;
  [[nodiscard]] LinkStatus create(const std::string& target, const std::string& link) override;
  [[nodiscard]] LinkStatus retarget(const std::string& source, const std::string& target, const std::string& link) override;

 private:
  ComPtr<IShellLinkW> newShellLink(const ComScope& com);
  [[nodiscard]] LinkStatus load(const ComScope& com, const std::string& path, ComPtr<IShellLinkW>& out);

  // Asking COM for the class each time looks it up in the registry, which
  // cost more than loading the file: a listing of 100 shortcuts spent 60 ms
  // on it under Wine. Kept only for a thread whose apartment outlives our calls.
  ComPtr<IClassFactory> factory_;
  DWORD factoryThread_ = 0;
};

}  // namespace velmora::win32
