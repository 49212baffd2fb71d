#include "pane/family_factory.h"

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
  (void)locations;
  (void)services;
  (void)prompt;
  switch (paneClass) {
    case PaneClass::RegistryEntryPane:
    case PaneClass::WininiEntryPane:
    case PaneClass::StartupFolderPane:
      break;
  }
  return std::make_unique<EmptyFamily>();
}

}  // namespace velmora
