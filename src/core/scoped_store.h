#pragma once
// The records of an installed Velmora live in more than one file: those of
// the user's own places in the user's folder, those of machine-wide places in
// the machine's, and what an older version left beside the program. One
// store over them: a listing reads them all, a new record goes to the file
// of its entry's scope, and a change goes back to the file that listed it.
#include <functional>
#include <string_view>

#include "core/store.h"

namespace velmora {

class ScopedStore final : public DisabledEntryStore {
 public:
  // `machine` and `legacy` may be null (a portable copy keeps one file).
  ScopedStore(DisabledEntryStore& user, DisabledEntryStore* machine, DisabledEntryStore* legacy,
              std::function<bool(std::string_view path)> isUserPlace);

  [[nodiscard]] StoreStatus list(RecordKind kind, std::vector<StoredItem>& out) override;
  [[nodiscard]] StoreStatus add(RecordKind kind, const DisabledItem& item) override;
  [[nodiscard]] StoreStatus remove(RecordKind kind, const StoredItem& item) override;
  [[nodiscard]] StoreStatus update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                                   const std::string& valuedata, const std::optional<std::string>& valuetype) override;

 private:
  DisabledEntryStore* source(std::size_t index) const;

  static constexpr std::size_t kUser = 0;
  static constexpr std::size_t kMachine = 1;
  static constexpr std::size_t kLegacy = 2;
  DisabledEntryStore& user_;
  DisabledEntryStore* machine_;
  DisabledEntryStore* legacy_;
  std::function<bool(std::string_view)> isUserPlace_;
};

}  // namespace velmora
