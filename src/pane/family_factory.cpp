#include "pane/family_factory.h"

#include "registry/registry_entry_pane.h"
#include "startupfolder/startup_folder_pane.h"
#include "winini/winini_entry_pane.h"

namespace velmora {

namespace {

// A pane whose family is not available lists nothing and changes nothing.
class EmptyFamily : public EntryFamily {
 public:
  ColumnWidths columnWidths() const override { return {200, 80, 350, 350}; }
  void fill(EntryList& list) override { list.setRows({}); }
  void remove(EntryList&) override {}
  void add(EntryList&) override {}
  void modify(EntryList&) override {}
  void property(EntryList&) override {}
  bool enable(EntryList&, int) override { return false; }
  bool disable(EntryList&, int) override { return false; }
};

}  // namespace

std::unique_ptr<EntryFamily> makeFamily(PaneClass paneClass, std::vector<std::string> locations,
                                        FamilyServices& services, UserPrompt& prompt) {
  switch (paneClass) {
    case PaneClass::WininiEntryPane:
      return std::make_unique<WininiEntryPane>(std::move(locations), services, prompt);
    case PaneClass::StartupFolderPane:
      if (services.folders && services.shellLinks) {
        return std::make_unique<StartupFolderPane>(std::move(locations), services, prompt);
      }
      break;
    case PaneClass::RegistryEntryPane:
      return std::make_unique<RegistryEntryPane>(std::move(locations), services, prompt);
  }
  return std::make_unique<EmptyFamily>();
}

}  // namespace velmora
