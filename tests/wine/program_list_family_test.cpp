// The program-list family against the real registry, a real config.xml,
// the system's short path names and real message boxes; its results go
// through the real commit, as in the program.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <vector>

#include "core/win32/store_msxml.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "lang/win32/translate_win32.h"
#include "history/change_commit.h"
#include "history/change_commit.h"
#include "pane/pane_logic.h"
#include "pane/win32/entry_list_pane.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "programlist/program_list.h"
#include "programlist/program_list_family.h"
#include "programlist/win32/short_path_win32.h"
#include "resource.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

// Questions asked through real message boxes; the rest is scripted.
class MessageBoxPrompt : public ScriptedPrompt {
 public:
  explicit MessageBoxPrompt(const Translator& tr) : tr_(tr) {}
  bool confirm(const std::string& text) override { return win32::askWarning(nullptr, tr_, text); }
  bool confirmWarning(const std::string& text) override { return win32::askWarning(nullptr, tr_, text); }

 private:
  const Translator& tr_;
};

class RealProgramListFamily : public ::testing::Test {
 protected:
  RealProgramListFamily() {
    tr.texts = {{"_ToolVelmora", "Velmora"}, {"_TreeWininiType", "Program list"}};
    EXPECT_EQ(registry.setString(RootKey::CurrentUser, windowsKey(), "Load", "", KeyCreation::CreateKey), RegStatus::Ok);
  }

  std::string windowsKey() const { return key.subkey() + "\\Windows"; }
  std::string loadPath() const { return key.path() + "\\Windows\\Load"; }
  std::string runPath() const { return key.path() + "\\Windows\\Run"; }

  void put(const std::string& name, const std::string& text) {
    ASSERT_EQ(registry.setString(RootKey::CurrentUser, windowsKey(), name, text, KeyCreation::CreateKey), RegStatus::Ok);
  }
  // Read straight from the registry, not through the adapter under test.
  std::string raw(const std::string& name) {
    DWORD size = 0, type = 0;
    const std::wstring sub = widen(windowsKey()), wname = widen(name);
    if (RegGetValueW(HKEY_CURRENT_USER, sub.c_str(), wname.c_str(), RRF_RT_REG_SZ, &type, nullptr, &size) !=
        ERROR_SUCCESS)
      return "<missing>";
    std::wstring text(size / sizeof(wchar_t), L'\0');
    RegGetValueW(HKEY_CURRENT_USER, sub.c_str(), wname.c_str(), RRF_RT_REG_SZ, &type, text.data(), &size);
    text.resize(wcslen(text.c_str()));
    return narrow(text);
  }
  std::vector<DisabledItem> records() {
    std::vector<StoredItem> items;
    EXPECT_EQ(store.list(kProgramListRecords, items), StoreStatus::Ok);
    std::vector<DisabledItem> out;
    for (const auto& s : items) out.push_back(s.item);
    return out;
  }
  // The family over `locations`, driven as the pane drives it, asking
  // `prompt` (the scripted one unless given).
  FamilyDriver& pane(std::vector<std::string> locations, UserPrompt* prompt = nullptr) {
    driver_.reset();
    family_ = std::make_unique<ProgramListFamily>(std::move(locations), registry, shortPaths, context);
    driver_.emplace(*family_, prompt ? *prompt : scripted, commit);
    return *driver_;
  }
  int rowOf(const std::string& data) const {
    const std::vector<Row>& rows = driver_->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].data == data) return static_cast<int>(i);
    }
    return -1;
  }

  TestKey key;
  TempDir dir;
  win32::Win32Registry registry;
  win32::MsxmlStore store{dir.file("config.xml")};
  win32::Win32ShortPaths shortPaths;
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  ScriptedPrompt scripted;
  FamilyContext context{store, tr};
  ChangeCommit commit{log, nullptr, tr};

 private:
  std::unique_ptr<ProgramListFamily> family_;
  std::optional<FamilyDriver> driver_;
};

TEST_F(RealProgramListFamily, TheTwoLocationPaneListsLoadBeforeRun) {
  put("Load", "a.exe b.exe");
  put("Run", "r.exe");
  ASSERT_EQ(store.add(kProgramListRecords, {runPath(), "Run", "off-run.exe"}), StoreStatus::Ok);
  ASSERT_EQ(store.add(kProgramListRecords, {loadPath(), "Load", "off-load.exe"}), StoreStatus::Ok);
  std::vector<std::pair<std::string, RowState>> seen;
  for (const Row& r : pane({loadPath(), runPath()}).list()) seen.emplace_back(r.data, r.state);
  const std::vector<std::pair<std::string, RowState>> expected = {{"off-load.exe", RowState::Disabled},
                                                                  {"a.exe", RowState::Live},
                                                                  {"b.exe", RowState::Live},
                                                                  {"off-run.exe", RowState::Disabled},
                                                                  {"r.exe", RowState::Live}};
  EXPECT_EQ(seen, expected);
}

TEST_F(RealProgramListFamily, DisableAndEnableOfOneProgramLeaveTheOthersAsTheyWere) {
  // One program outside any legacy code page, to see the text round-trip.
  const std::string odd = "C:\\Users\\\xC5\x81ukasz\\\xD0\x9F\xD1\x80\xD0\xB8.exe";
  put("Load", "C:\\a.exe," + odd + ",C:\\c.exe");
  auto& p = pane({loadPath()});
  ASSERT_EQ(p.list().size(), 3u);

  ASSERT_TRUE(p.disable(rowOf(odd)).done());
  EXPECT_EQ(raw("Load"), "C:\\a.exe,C:\\c.exe");
  EXPECT_EQ(records(), std::vector<DisabledItem>{(DisabledItem{loadPath(), "Load", odd})});

  ASSERT_EQ(p.list().size(), 3u);
  EXPECT_EQ(p.rows()[0].state, RowState::Disabled);
  ASSERT_TRUE(p.enable(0).done());
  EXPECT_EQ(raw("Load"), "C:\\a.exe,C:\\c.exe," + odd);
  EXPECT_TRUE(records().empty());
  EXPECT_EQ(sink.records.size(), 2u);
  EXPECT_TRUE(scripted.messages.empty());
}

TEST_F(RealProgramListFamily, AValueOverTwoHundredFiftyFiveCharactersIsListedAndSurvivesAChange) {
  std::string value;
  std::vector<std::string> programs;
  for (int i = 0; i < 30; ++i) {
    programs.push_back("C:\\PROGRA~1\\Vendor" + std::to_string(i) + "\\tool.exe");
    value += (i ? "," : "") + programs.back();
  }
  ASSERT_GT(value.size(), 255u);
  put("Load", value);
  auto& p = pane({loadPath()});
  ASSERT_EQ(p.list().size(), programs.size());
  EXPECT_EQ(p.rows().back().data, programs.back());

  ASSERT_TRUE(p.modify(rowOf(programs[7]), "Load", "C:\\NEW\\n.exe").done());
  std::vector<std::string> expected = programs;
  expected.erase(expected.begin() + 7);
  expected.push_back("C:\\NEW\\n.exe");
  EXPECT_EQ(splitPrograms(raw("Load")), expected);
  EXPECT_EQ(p.list().size(), programs.size());
}

TEST_F(RealProgramListFamily, ShortFormOfAPathWithABlankHasNone) {
  CreateDirectoryW(widen(dir.file("My Tools")).c_str(), nullptr);
  const std::string file = dir.file("My Tools\\start me.exe");
  writeFile(file, "MZ");
  const std::string shortForm = shortPaths.shortForm(file);
  ASSERT_FALSE(shortForm.empty());
  EXPECT_EQ(shortForm.find(' '), std::string::npos) << shortForm;
  // It names the same file.
  wchar_t longForm[MAX_PATH];
  ASSERT_NE(GetLongPathNameW(widen(shortForm).c_str(), longForm, MAX_PATH), 0u);
  EXPECT_TRUE(equalsIgnoreCase(narrow(longForm), file)) << narrow(longForm);

  EXPECT_EQ(shortPaths.shortForm(dir.file("no such file.exe")), "");
  EXPECT_EQ(shortPaths.shortForm(""), "");
}

TEST_F(RealProgramListFamily, AddWritesTheShortFormSoTheProgramListsAsOneRow) {
  const std::string file = dir.file("add me.exe");
  writeFile(file, "MZ");
  put("Load", "C:\\a.exe");
  auto& p = pane({loadPath(), runPath()});
  ASSERT_TRUE(p.add("x", file).done());
  const auto programs = splitPrograms(raw("Load"));
  ASSERT_EQ(programs.size(), 2u);
  EXPECT_EQ(programs[1], shortPaths.shortForm(file));
  EXPECT_EQ(p.list().size(), 2u);
  EXPECT_EQ(raw("Run"), "<missing>") << "Add goes into the first location only";
}

TEST_F(RealProgramListFamily, AKeyThatDoesNotExistIsToldAndNothingIsLogged) {
  const std::string missing = key.path() + "\\NoSuchKey\\Load";
  EXPECT_FALSE(pane({missing}).add({}, "C:\\a.exe").done());
  EXPECT_EQ(scripted.messages, std::vector<std::string>{"_WininiKeyMissing"});
  EXPECT_TRUE(sink.records.empty());
  HKEY h;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, widen(key.subkey() + "\\NoSuchKey").c_str(), 0, KEY_READ, &h),
            ERROR_SUCCESS)
      << "the key is not created";
}

TEST_F(RealProgramListFamily, LosingUserinitExeAsksInAMessageBoxAndCancelKeepsEverything) {
  const std::string winlogon = key.subkey() + "\\Winlogon";
  const std::string userinitPath = key.path() + "\\Winlogon\\Userinit";
  const std::string original = "C:\\windows\\system32\\userinit.exe,";
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, winlogon, "Userinit", original, KeyCreation::CreateKey), RegStatus::Ok);
  tr.texts["_WininiUserinitWarning"] = "No one can log on without userinit.exe. Go on?";
  MessageBoxPrompt prompt(tr);
  auto& p = pane({userinitPath}, &prompt);
  ASSERT_EQ(p.list().size(), 1u);

  {
    int defaultId = 0;
    DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen&) {
      answerFromLoop(dlg, IDNO, [&](HWND d) { defaultId = defaultButton(d); });
      return 0;
    });
    EXPECT_FALSE(p.disable(0).done());
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(narrow(answerer.seen[0].text), "No one can log on without userinit.exe. Go on?");
    EXPECT_EQ(narrow(answerer.seen[0].title), "Velmora");
    EXPECT_EQ(answerer.seen[0].icon, LoadIconW(nullptr, IDI_WARNING)) << "a warning looks like one";
    EXPECT_EQ(defaultId, IDNO) << "Enter keeps the logon program";
  }
  RegValue v;
  ASSERT_EQ(registry.queryValue(RootKey::CurrentUser, winlogon, "Userinit", v), RegStatus::Ok);
  EXPECT_EQ(v.text, original);
  EXPECT_TRUE(records().empty());
  EXPECT_TRUE(sink.records.empty());

  {
    DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return IDYES; });
    EXPECT_TRUE(p.disable(0).done());
  }
  ASSERT_EQ(registry.queryValue(RootKey::CurrentUser, winlogon, "Userinit", v), RegStatus::Ok);
  EXPECT_EQ(v.text, "");
  EXPECT_EQ(records().size(), 1u);
}

// A Shell value of the prefix's own Winlogon keys, set for one test and put
// back as it was (or deleted) at its end.
class ShellValue {
 public:
  static constexpr const char* kMachineKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  static constexpr const char* kUserKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

  ShellValue(RegistryPort& registry, RootKey root, const std::string& text)
      : registry_(registry), root_(root), key_(root == RootKey::LocalMachine ? kMachineKey : kUserKey) {
    had_ = registry_.queryValue(root_, key_, "Shell", old_) == RegStatus::Ok;
    EXPECT_EQ(registry_.setString(root_, key_, "Shell", text, KeyCreation::CreateKey), RegStatus::Ok);
  }
  ~ShellValue() {
    // The test may have deleted it already: a Shell override left empty goes.
    const RegStatus restored = had_ ? registry_.setText(root_, key_, "Shell", old_.text, old_.type, KeyCreation::KeyMustExist)
                                    : registry_.deleteValue(root_, key_, "Shell");
    EXPECT_TRUE(restored == RegStatus::Ok || (!had_ && restored == RegStatus::NotFound));
  }
  std::string path() const {
    return std::string(root_ == RootKey::LocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + key_ + "\\Shell";
  }
  std::string now() const {
    RegValue v;
    return registry_.queryValue(root_, key_, "Shell", v) == RegStatus::Ok ? v.text : "<missing>";
  }

 private:
  RegistryPort& registry_;
  RootKey root_;
  std::string key_;
  bool had_ = false;
  RegValue old_;
};

TEST_F(RealProgramListFamily, TheUsersShellOverrideIsListedAndDisabled) {
  ShellValue machine(registry, RootKey::LocalMachine, "explorer.exe");
  ShellValue user(registry, RootKey::CurrentUser, "C:\\evil\\shell.exe");
  auto& p = pane({machine.path(), user.path()});
  const std::vector<Row> rows = p.list();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].data, "C:\\evil\\shell.exe");
  EXPECT_EQ(rows[1].path, user.path());
  EXPECT_EQ(rows[1].name, "Shell");

  ASSERT_TRUE(p.disable(1).done());
  EXPECT_EQ(user.now(), "<missing>") << "an empty override would leave no shell";
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{user.path(), "Shell", "C:\\evil\\shell.exe"}}));
  EXPECT_EQ(machine.now(), "explorer.exe");
}

TEST_F(RealProgramListFamily, TheMachinesExplorerIsRefused) {
  tr.texts["_WininiShellRefused"] = "no desktop";
  ShellValue machine(registry, RootKey::LocalMachine, "C:\\windows\\Explorer.exe,tray.exe");
  auto& p = pane({machine.path()});
  ASSERT_EQ(p.list().size(), 2u);
  EXPECT_FALSE(p.remove(0).done());
  EXPECT_FALSE(p.disable(0).done());
  EXPECT_EQ(scripted.messages, (std::vector<std::string>{"no desktop", "no desktop"}));
  EXPECT_TRUE(scripted.questions.empty());
  EXPECT_EQ(machine.now(), "C:\\windows\\Explorer.exe,tray.exe");
  EXPECT_TRUE(records().empty());
  EXPECT_TRUE(sink.records.empty());
}

// Through the real pane window: the user's clicks on a box and on Remove
// reach this family, and a box whose entry did not move shows the truth.
TEST_F(RealProgramListFamily, ThePaneWindowDrivesTheFamilyThroughItsBoxesAndButtons) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND parent = CreateWindowExW(0, L"Static", L"program list pane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 600,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  const std::string winlogon = key.subkey() + "\\Winlogon";
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, winlogon, "Userinit", "C:\\userinit.exe", KeyCreation::CreateKey), RegStatus::Ok);
  put("Load", "C:\\a.exe C:\\b.exe,C:\\c.exe");
  tr.texts["_AreyousureDeleteThisEntry"] = "Delete %s?";
  tr.texts["_WininiUserinitWarning"] = "Userinit warning";
  {
    auto pane = std::make_unique<win32::EntryListPane>(
        tr,
        std::make_unique<ProgramListFamily>(std::vector<std::string>{loadPath(), key.path() + "\\Winlogon\\Userinit"},
                                            registry, shortPaths, context),
        commit);
    HWND hwnd = pane->create(GetModuleHandleW(nullptr), parent);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    // As the main window shows a pane: made, then refreshed.
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(pane_command::kRefresh, BN_CLICKED), 0);
    auto& rows = pane->rows();
    ASSERT_EQ(rows.count(), 4);
    const HWND list = rows.handle();
    auto setImage = [&](int row, int image) {
      LVITEMW item{};
      item.stateMask = LVIS_STATEIMAGEMASK;
      item.state = INDEXTOSTATEIMAGEMASK(image);
      SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      pumpMessages();
    };

    setImage(1, 1);  // clear the box of C:\b.exe
    EXPECT_EQ(raw("Load"), "C:\\a.exe,C:\\c.exe");
    EXPECT_EQ(records().size(), 1u);
    setImage(1, 2);
    EXPECT_EQ(raw("Load"), "C:\\a.exe,C:\\c.exe,C:\\b.exe");
    EXPECT_TRUE(records().empty());

    {
      // Cancel the Userinit warning: the box shows the entry live again.
      DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return IDNO; });
      setImage(3, 1);
      ASSERT_EQ(answerer.seen.size(), 1u);
      EXPECT_EQ(narrow(answerer.seen[0].text), "Userinit warning");
    }
    EXPECT_EQ(rows.stateImage(3), 2);
    EXPECT_TRUE(records().empty());

    {
      DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return IDYES; });
      rows.select(0);
      SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_REMOVE, BN_CLICKED), 0);
      pumpMessages();
      ASSERT_EQ(answerer.seen.size(), 1u);
      EXPECT_EQ(narrow(answerer.seen[0].text), "Delete C:\\a.exe?");
    }
    EXPECT_EQ(raw("Load"), "C:\\c.exe,C:\\b.exe");
    EXPECT_EQ(rows.count(), 3);
    EXPECT_EQ(rows.selected(), 0);
  }
  DestroyWindow(parent);
  pumpMessages();
}

}  // namespace
}  // namespace velmora::testing
