#pragma once
// Shell links (.lnk shortcuts) as the startup-folder family reads and writes
// them. The Win32 adapter uses the system's shell-link object; the native
// tests keep links as files of the in-memory folder tree.
#include <string>

namespace velmora {

enum class LinkStatus {
  Ok,
  NotFound,      // no such file
  NotALink,      // the file exists but is not a shell link
  AccessDenied,  // the link could not be written for lack of rights
  WriteFailed,   // the link could not be written (a name the file system refuses, a missing folder)
  Failed,        // no shell-link object
};

// Every call leaves its output untouched unless it returns Ok.
class ShellLinkPort {
 public:
  ShellLinkPort() = default;
  ShellLinkPort(const ShellLinkPort&) = delete;
  ShellLinkPort& operator=(const ShellLinkPort&) = delete;
  virtual ~ShellLinkPort() = default;

  // The link's stored target path, as it is stored (not resolved against
  // the file system, so a missing target is still given).
  [[nodiscard]] virtual LinkStatus resolve(const std::string& link, std::string& target) = 0;
  // The link's arguments, the text Windows hands its target ("" for none).
  [[nodiscard]] virtual LinkStatus arguments(const std::string& link, std::string& args) = 0;
  // Both at once, for a listing: a real link is read once, not twice.
  // Arguments that cannot be read are "".
  [[nodiscard]] virtual LinkStatus read(const std::string& link, std::string& target, std::string& args) {
    const LinkStatus s = resolve(link, target);
    if (s == LinkStatus::Ok && arguments(link, args) != LinkStatus::Ok) args.clear();
    return s;
  }
  // Writes a link whose only content is the target path; an existing file
  // of that name is replaced.
  [[nodiscard]] virtual LinkStatus create(const std::string& target, const std::string& link) = 0;
  // Writes to `link` the link `source` with its target set to `target` and
  // every other field (arguments, working folder, icon, description, hot
  // key, window state) kept. `link` may be replaced but must not be `source`.
  [[nodiscard]] virtual LinkStatus retarget(const std::string& source, const std::string& target,
                                            const std::string& link) = 0;
};

}  // namespace velmora
