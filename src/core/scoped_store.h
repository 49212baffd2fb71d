#pragma once
// The records of an installed Velmora live in more than one file: those of
// the user's own places in the user's folder, those of machine-wide places in
// the machine's, and what an older version left beside the program. One
// store over them: a listing reads them all, a new record goes to the file
// of its entry's scope, and a change goes back to the file that listed it.
#include <array>
#include <functional>
#include <string_view>

#include "core/store.h"

namespace velmora {

class ScopedStore final : public DisabledEntryStore {
 public:
  // `machine` and `legacy` may be null (a portable copy keeps one file).
  ScopedStore(DisabledEntryStore& user, DisabledEntryStore* machine, DisabledEntryStore* legacy,
              std::function<bool(std::string_view path)> isUserPlace);

  // Which of the files only administrators can write (all none until
  // told): their records carry StoredItem::adminOnly.
  void setAdminOnly(bool user, bool machine, bool legacy) { adminOnly_ = {user, machine, legacy}; }
  // Whether the file a new record of an entry at `path` goes to is one
  // only administrators can write.
  [[nodiscard]] bool addsAdminOnly(std::string_view path) const;

  [[nodiscard]] StoreStatus list(RecordKind kind, std::vector<StoredItem>& out) override;
  [[nodiscard]] StoreStatus add(RecordKind kind, const DisabledItem& item) override;
  [[nodiscard]] StoreStatus remove(RecordKind kind, const StoredItem& item) override;
  [[nodiscard]] StoreStatus update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                                   const std::string& valuedata, const std::optional<std::string>& valuetype) override;

 private:
  DisabledEntryStore* source(std::size_t index) const;
  bool goesToUser(std::string_view path) const;

  static constexpr std::size_t kUser = 0;
  static constexpr std::size_t kMachine = 1;
  static constexpr std::size_t kLegacy = 2;
  DisabledEntryStore& user_;
  DisabledEntryStore* machine_;
  DisabledEntryStore* legacy_;
  std::function<bool(std::string_view)> isUserPlace_;
  std::array<bool, 3> adminOnly_{};
};

}  // namespace velmora
