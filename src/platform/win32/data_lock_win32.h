#pragma once
// The lock over a data folder that every Velmora on the machine shares, of
// every user and session: a named mutex in the global namespace, named
// after the folder, that any user may wait for (a user's portable copy and
// an administrator's share one file).
#include <string>

#include "core/data_lock.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {

class MutexDataLock final : public DataLock {
 public:
  // How long a change waits for another Velmora's before it is refused.
  static constexpr unsigned long kWaitMs = 5000;

  explicit MutexDataLock(const std::string& folder, unsigned long waitMs = kWaitMs);
  // The mutex's name for `folder` (its path in any letter case, with or
  // without a trailing backslash, gives the same).
  static std::wstring nameFor(const std::string& folder);

  [[nodiscard]] bool acquire() override;
  void release() override;

 private:
  std::wstring name_;
  unsigned long waitMs_;
  KernelHandle mutex_;
};

}  // namespace velmora::win32
