#pragma once
// The family of the program-list values (Load, Run, Userinit, Shell): each
// program named in such a value is one entry; disabled programs are kept as
// disabledwininiitem records in config.xml (the element name older files
// use). Every change reads the value whole, rewrites it as text and keeps
// the program in exactly one place.
//
// The code is split by operation: listing, dialogs and the steps shared by
// all (program_list_family.cpp), Remove, Disable and Enable
// (program_list_moves.cpp), Add and Modify (program_list_edits.cpp), Undo
// (program_list_undo.cpp).
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/locations.h"
#include "core/registry_port.h"
#include "family/entry_family.h"
#include "family/families.h"
#include "family/family_support.h"
#include "programlist/short_path.h"

namespace velmora {

inline constexpr RecordKind kProgramListRecords{"disabledwininiitem"};
extern const FamilyTraits kProgramListTraits;

// The family's descriptor: values are read and written through `registry`,
// programs entered by the user are shortened through `shortPaths`.
FamilyDescriptor programListFamily(RegistryPort& registry, ShortPathPort& shortPaths, const FamilyContext& context);

class ProgramListFamily : public EntryFamily {
 public:
  // `locations` are value paths (key path + "\" + value name), kept as given.
  ProgramListFamily(std::vector<std::string> locations, RegistryPort& registry, ShortPathPort& shortPaths,
                    const FamilyContext& context);

  const FamilyTraits& traits() const override { return kProgramListTraits; }
  // explorer.exe in the machine's Shell value can be neither removed nor
  // disabled (_WhyNotMachineShell): Windows would show no desktop.
  FamilyAbilities abilitiesFor(const EntryRef& entry) const override;
  // At 96 DPI; Type fits its text in every shipped language.
  int typeColumnWidth() const override { return 110; }
  std::vector<Row> list() override;
  void describe(Row& row) override { support_.describe(row); }

  EntryDialogData dialogData(const EntryRef& entry) const override { return support_.dialogData(entry); }
  OperationResult prepareAdd(EntryDialogData& data) override;

  // An entry's name is the value that lists it; its data is the program.
  // The dialogs' name is not used: a program cannot rename its value.
  OperationResult remove(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult add(const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult enable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult disable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult undo(const Change& change, UserPrompt& prompt) override;
  // Opens the Registry Editor at the key that holds the value.
  OperationResult openLocation(const EntryRef& entry) override;

 private:
  // A value read for a change, and the text it is to become.
  struct ValueChange {
    ValuePath where;
    std::string before;
    std::string after;
  };

  // --- The operations' steps, run inside support_.run ----------------------
  // Undo goes through these, never through the public operations: a second
  // run would start a new result and lose what this one gathered.
  void removeProgram(const EntryRef& entry);
  void addProgram(const std::string& place, const std::string& entered);
  void modifyProgram(const EntryRef& entry, const std::string& entered);
  bool enableProgram(const EntryRef& entry);
  bool disableProgram(const EntryRef& entry);
  bool reverse(const Change& change);
  bool undoLive(const Change& c);
  bool undoRecord(const Change& c);
  // True when a record as `state` says is kept for `location`, then in
  // `found`; otherwise false after telling the user.
  bool recordIs(const std::string& location, const EntryState& state, StoredItem& found);

  // --- Shared by the steps --------------------------------------------------
  // A program of the value named `valueName`: live, or kept as a record.
  static EntryState programState(const std::string& valueName, const std::string& data, bool disabled);
  // Reads the value at `path` whole and works out its new text: `removed`
  // taken out (it must still stand in the value, or the entry is Stale),
  // then `appended` added. Asks before Userinit loses userinit.exe and
  // refuses to take explorer.exe out of the machine's Shell. Done when the
  // change may go ahead; otherwise the user has been told or said no.
  Outcome planChange(const std::string& path, const std::optional<std::string>& removed,
                     const std::optional<std::string>& appended, ValueChange& change);
  // planChange, then the write.
  Outcome changeValue(const std::string& path, const std::optional<std::string>& removed,
                      const std::optional<std::string>& appended, ValueChange& change);
  // Reads the value and rewrites it as `newText` makes it of the text read
  // (nothing: refused, after telling the user), with the safeguards.
  Outcome changeValueTo(const std::string& path,
                        const std::function<std::optional<std::string>(const std::string& now)>& newText,
                        ValueChange& change);
  // A change of a program within the value at `path`, for the history.
  Change valueChange(std::string_view kind, const std::string& path, const ValueChange& change,
                     std::optional<EntryState> before, std::optional<EntryState> after,
                     const std::string& placed) const;

  std::optional<ValuePath> locate(const std::string& path);
  std::optional<std::string> readForChange(const ValuePath& where, const std::string& path);
  RegStatus writeValue(const ValuePath& where, const std::string& text);
  Outcome write(const ValuePath& where, const std::string& path, const std::string& text);
  void tellWriteProblem(RegStatus status, const std::string& path);
  // The value may go from `before` to `after`: Windows still starts a
  // desktop and can still log users on (or the user said so for Userinit).
  bool safeguard(const ValuePath& where, const std::string& before, const std::string& after);
  // True, after telling the user, when explorer.exe would leave the
  // machine's Shell value.
  bool refuseShell(const ValuePath& where, const std::string& before, const std::string& after);
  // refuseShell for the Remove of a live program as the value stands now,
  // so that Remove does not ask a question whose answer cannot matter.
  bool refusesRemoval(const EntryRef& entry);
  bool confirmUserinit(const ValuePath& where, const std::string& before, const std::string& after);
  std::string programFor(const std::string& entered);

  std::vector<std::string> locations_;
  RegistryPort& registry_;
  ShortPathPort& shortPaths_;
  FamilySupport support_;
};

}  // namespace velmora
