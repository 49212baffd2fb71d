#pragma once
// The family of the program-list values (Load, Run, Userinit): each program
// named in such a value is one row; disabled programs are kept as
// disabledwininiitem records in config.xml. Every change reads the value
// whole, rewrites it as text and keeps the program in exactly one place.
#include <optional>
#include <string>
#include <vector>

#include "core/locations.h"
#include "core/registry_port.h"
#include "core/store.h"
#include "pane/entry_family.h"
#include "pane/family_factory.h"

namespace velmora {

class UserPrompt;

class WininiEntryPane : public EntryFamily {
 public:
  // `locations` are value paths (key path + "\" + value name), kept as given.
  WininiEntryPane(std::vector<std::string> locations, FamilyServices& services, UserPrompt& prompt);

  ColumnWidths columnWidths() const override { return {200, 80, 350, 350}; }
  void fill(EntryList& list) override;
  void remove(EntryList& list) override;
  void add(EntryList& list) override;
  void modify(EntryList& list) override;
  void property(EntryList& list) override;
  bool enable(EntryList& list, int row) override;
  bool disable(EntryList& list, int row) override;

 private:
  // How a change ended: Stale means the row no longer matched what is
  // stored, so nothing changed but the list is worth refilling.
  enum class Outcome { Done, Failed, Stale };

  std::optional<ValuePath> locate(const std::string& path);
  std::optional<std::string> readForChange(const ValuePath& where, const std::string& path);
  RegStatus writeValue(const ValuePath& where, const std::string& text);
  bool write(const ValuePath& where, const std::string& path, const std::string& text);
  void tellWriteProblem(RegStatus status, const std::string& path);
  bool takeBackRecord(const DisabledItem& record);
  bool confirmUserinit(const ValuePath& where, const std::string& before, const std::string& after);
  bool listRecords(std::vector<StoredItem>& out);
  void storeFailed(StoreStatus status);
  void say(const char* key, const std::vector<std::string>& values = {});
  std::string typeText() const;
  std::string programFor(const std::string& entered);
  int selectedOrComplain(const EntryList& list);

  Outcome removeRecord(const Row& row);
  Outcome removeFromValue(const Row& row);
  Outcome modifyRecord(const Row& row, const std::string& program);
  Outcome modifyValue(const Row& row, const std::string& program);

  std::vector<std::string> locations_;
  FamilyServices services_;
  UserPrompt& prompt_;
};

}  // namespace velmora
