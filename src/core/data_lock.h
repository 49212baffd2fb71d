#pragma once
// A lock over data that more than one Velmora may change at once: the
// machine's records and history are shared by every user and session (fast
// user switching, a remote session), and a change reads the file, changes
// it and writes it back. Held from the read to the read-back of the
// written file, so no change is lost to another's.
#include <functional>

#include "core/store.h"

namespace velmora {

class DataLock {
 public:
  DataLock() = default;
  DataLock(const DataLock&) = delete;
  DataLock& operator=(const DataLock&) = delete;
  virtual ~DataLock() = default;
  // Waits a bounded time for the lock; false when another Velmora still
  // holds it.
  [[nodiscard]] virtual bool acquire() = 0;
  virtual void release() = 0;
};

// Holds a lock for a scope: held() says whether it was taken.
class DataLockHold {
 public:
  explicit DataLockHold(DataLock* lock) : lock_(lock), held_(!lock || lock->acquire()) {}
  DataLockHold(const DataLockHold&) = delete;
  DataLockHold& operator=(const DataLockHold&) = delete;
  ~DataLockHold() {
    if (lock_ && held_) lock_->release();
  }
  [[nodiscard]] bool held() const { return held_; }

 private:
  DataLock* lock_;
  bool held_;
};

// A store whose every change holds `lock`; a change that cannot take it is
// refused (Busy), the file as it was. Listing needs no lock: the file is
// replaced whole, so a reader sees the old file or the new one.
class LockedStore final : public DisabledEntryStore {
 public:
  LockedStore(DisabledEntryStore& inner, DataLock& lock) : inner_(inner), lock_(lock) {}

  [[nodiscard]] StoreStatus list(RecordKind kind, std::vector<StoredItem>& out) override {
    return inner_.list(kind, out);
  }
  [[nodiscard]] StoreStatus add(RecordKind kind, const DisabledItem& item) override {
    return locked([&] { return inner_.add(kind, item); });
  }
  [[nodiscard]] StoreStatus remove(RecordKind kind, const StoredItem& item) override {
    return locked([&] { return inner_.remove(kind, item); });
  }
  [[nodiscard]] StoreStatus update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                                   const std::string& valuedata, const std::optional<std::string>& valuetype) override {
    return locked([&] { return inner_.update(kind, item, valuename, valuedata, valuetype); });
  }

 private:
  StoreStatus locked(const std::function<StoreStatus()>& change) {
    const DataLockHold hold(&lock_);
    return hold.held() ? change() : StoreStatus::Busy;
  }

  DisabledEntryStore& inner_;
  DataLock& lock_;
};

}  // namespace velmora
