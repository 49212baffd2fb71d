// The Run-key family against the real registry, a real config.xml and real
// dialogs and message boxes.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/win32/program_files_win32.h"
#include "core/win32/store_msxml.h"
#include "dialogs/win32/entry_dialog.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "lang/win32/translate_win32.h"
#include "history/change_commit.h"
#include "history/change_commit.h"
#include "core/paths.h"
#include "core/text.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "registry/registry_family.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

// The pane's questions and dialogs as the program shows them.
class WindowPrompt : public UserPrompt {
 public:
  explicit WindowPrompt(const Translator& tr) : tr_(tr) {}
  void message(const std::string& text) override { win32::showMessage(nullptr, tr_, text); }
  bool confirm(const std::string& text) override { return win32::askWarning(nullptr, tr_, text); }
  bool confirmWarning(const std::string& text) override { return win32::askWarning(nullptr, tr_, text); }
  bool entryDialog(EntryDialogKind kind, EntryDialogData& data) override {
    return win32::runEntryDialog(nullptr, kind, data, tr_);
  }
  void fileInformation(const std::string&) override {}
  void searchOnline(const std::string&) override {}

 private:
  const Translator& tr_;
};

struct RawValue {
  DWORD type = 0;
  std::vector<BYTE> bytes;
  bool operator==(const RawValue&) const = default;
};

class RealRegistryPane : public ::testing::Test {
 protected:
  RealRegistryPane() {
    tr.texts = {{"_ToolVelmora", "Velmora"},
                {"_AddNewProgram", "Add Program"},
                {"_RegistryValueExists", "Replace %s|%s?"},
                {"_RegistryEntryChanged", "changed %s|%s"},
                {"_LogItemType4Content", "enable %s|%s|%s"},
                {"_LogItemType5Content", "disable %s|%s|%s"}};
  }

  RawValue raw(const std::string& name) {
    RawValue v;
    DWORD size = 0;
    const std::wstring sub = widen(key.subkey()), wname = widen(name);
    if (RegGetValueW(HKEY_CURRENT_USER, sub.c_str(), wname.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type, nullptr,
                     &size) != ERROR_SUCCESS)
      return {};
    v.bytes.resize(size);
    RegGetValueW(HKEY_CURRENT_USER, sub.c_str(), wname.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type, v.bytes.data(),
                 &size);
    return v;
  }
  void writeRaw(const std::string& name, const std::wstring& text) {
    HKEY h;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(key.subkey()).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &h, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(h, widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
  }
  // The row of `name` in the driver's latest listing.
  static int rowOf(const FamilyDriver& driver, const std::string& name) {
    const std::vector<Row>& rows = driver.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }
  std::vector<DisabledItem> records() {
    std::vector<StoredItem> items;
    EXPECT_EQ(store.list(kRegistryRecords, items), StoreStatus::Ok);
    std::vector<DisabledItem> out;
    for (const auto& s : items) out.push_back(s.item);
    return out;
  }

  TestKey key;
  TempDir dir;
  win32::Win32Registry registry;
  win32::MsxmlStore store{dir.file("config.xml")};
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  ScriptedPrompt scripted;
  FamilyContext context{store, tr};
  ChangeCommit commit{log, nullptr, tr};
};

TEST_F(RealRegistryPane, DisableThenEnableRestoresTheValueByteForByte) {
  // A name and a command line no legacy code page holds.
  const std::string name = "\xC5\x81ukasz \xE6\x97\xA5\xE6\x9C\xAC \xCE\x95\xCE\xBB";
  const std::wstring data = L"\"C:\\Users\\\u0141ukasz\\\u041F\u0440\u0438\\\U0001F680.exe\" /min";
  writeRaw(name, data);
  writeRaw("ten", L"0123456789");
  const RawValue before = raw(name);
  ASSERT_EQ(before.type, static_cast<DWORD>(REG_SZ));
  ASSERT_EQ(GetFileAttributesW(widen(store.path()).c_str()), INVALID_FILE_ATTRIBUTES) << "no config.xml yet";

  RegistryFamily pane{{key.path()}, registry, context};
  FamilyDriver driver{pane, scripted, commit};
  ASSERT_EQ(driver.list().size(), 2u);
  for (const std::string& n : {name, std::string("ten")}) {
    const int row = rowOf(driver, n);
    ASSERT_GE(row, 0);
    ASSERT_TRUE(driver.disable(row).done()) << n;
  }
  EXPECT_EQ(raw(name).type, 0u) << "the value left the key";
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{key.path(), name, narrow(data)}, {key.path(), "ten", "0123456789"}}));

  ASSERT_EQ(driver.list().size(), 2u);
  EXPECT_EQ(driver.rows()[0].state, RowState::Disabled);
  EXPECT_TRUE(driver.enable(0).done());
  EXPECT_TRUE(driver.enable(1).done());
  EXPECT_EQ(raw(name), before);
  EXPECT_EQ(raw("ten").bytes.size(), 22u) << "ten UTF-16 characters and their terminating zero";
  EXPECT_TRUE(records().empty());
  ASSERT_EQ(sink.records.size(), 4u);
  EXPECT_EQ(sink.records[0].content, "disable " + name + "|" + key.path() + "|" + narrow(data));
  EXPECT_EQ(sink.records[2].content, "enable " + name + "|" + key.path() + "|" + narrow(data));
  EXPECT_TRUE(scripted.messages.empty());
}

// An installer rewrote the value after the list was read: its new text must
// not be deleted on the strength of the old one.
TEST_F(RealRegistryPane, DisableOfAValueChangedSinceTheListingLeavesItAlone) {
  writeRaw("Tool", L"C:\\Tool\\v1.exe");
  writeRaw("Gone", L"gone.exe");
  RegistryFamily pane{{key.path()}, registry, context};
  FamilyDriver driver{pane, scripted, commit};
  ASSERT_EQ(driver.list().size(), 2u);
  writeRaw("Tool", L"C:\\Tool\\v2.exe /update");
  const RawValue now = raw("Tool");
  ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, widen(key.subkey()).c_str(), L"Gone"), ERROR_SUCCESS);

  EXPECT_FALSE(driver.disable(rowOf(driver, "Tool")).done());
  EXPECT_FALSE(driver.disable(rowOf(driver, "Gone")).done());
  EXPECT_EQ(raw("Tool"), now) << "the new text stays in the key";
  EXPECT_EQ(raw("Gone").type, 0u);
  EXPECT_TRUE(records().empty());
  EXPECT_EQ(scripted.messages, (std::vector<std::string>{"changed Tool|" + key.path(), "changed Gone|" + key.path()}));
  EXPECT_TRUE(sink.records.empty());
}

// A config.xml whose root is in a namespace of its own (hand-edited, or
// another tool's): the record of a Disable could never be listed again, so
// the file is refused like any unreadable one and the value stays live.
TEST_F(RealRegistryPane, DisableIntoAConfigInANamespaceKeepsTheValueAndSaysTheFileIsUnreadable) {
  const std::string config = "<?xml version=\"1.0\"?>\r\n<config xmlns=\"urn:example\"><toolvelmora/></config>\r\n";
  writeFile(store.path(), config);
  writeRaw("Tool", L"C:\\Tool\\tool.exe");
  const RawValue before = raw("Tool");
  tr.texts["_ConfigUnreadable"] = "config.xml unreadable";
  RegistryFamily pane{{key.path()}, registry, context};
  FamilyDriver driver{pane, scripted, commit};
  driver.list();
  ASSERT_GE(rowOf(driver, "Tool"), 0);

  EXPECT_FALSE(driver.disable(rowOf(driver, "Tool")).done());
  EXPECT_EQ(raw("Tool"), before) << "the entry is still live";
  EXPECT_EQ(readFile(store.path()), config);
  EXPECT_EQ(scripted.messages, std::vector<std::string>{"config.xml unreadable"});
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(RealRegistryPane, ModifyFromAToBLeavesNoA) {
  writeRaw("A", L"a.exe");
  RegistryFamily pane{{key.path()}, registry, context};
  FamilyDriver driver{pane, scripted, commit};
  driver.list();
  EXPECT_TRUE(driver.modify(0, "B", "b.exe").done());
  EXPECT_EQ(raw("A").type, 0u);
  RegValue b;
  ASSERT_EQ(registry.queryValue(RootKey::CurrentUser, key.subkey(), "B", b), RegStatus::Ok);
  EXPECT_EQ(b.text, "b.exe");
  std::vector<Row> listed = driver.list();
  ASSERT_EQ(listed.size(), 1u);
  // The key's last write time, as the logon columns compare it.
  EXPECT_GT(listed[0].writtenAt, 20000101000000) << "the key's last write, as a time";
  listed[0].writtenAt = 0;
  listed[0].writtenAtShared = false;
  EXPECT_EQ(listed, (std::vector<Row>{{"B", "_RegString", "b.exe", key.path(), RowState::Live}}));
}

TEST_F(RealRegistryPane, ModifyOfOnlyTheCaseOfTheNameReachesTheRegistry) {
  writeRaw("tool", L"t.exe");
  RegistryFamily pane{{key.path()}, registry, context};
  FamilyDriver driver{pane, scripted, commit};
  driver.list();
  driver.modify(0, "Tool", "t.exe");
  std::vector<RegValue> values;
  ASSERT_EQ(registry.enumerateValues(RootKey::CurrentUser, key.subkey(), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, "Tool");
  EXPECT_EQ(values[0].text, "t.exe");
}

TEST_F(RealRegistryPane, AddOfAnExistingNameAsksInAMessageBox) {
  writeRaw("Tool", L"old.exe");
  WindowPrompt prompt{tr};
  RegistryFamily pane{{key.path()}, registry, context};
  FamilyDriver driver{pane, prompt, commit};
  int replaceAnswer = IDNO;
  DialogAnswerer answerer([&](HWND, const DialogAnswerer::Seen&) -> int { return replaceAnswer; });

  EXPECT_FALSE(driver.add("TOOL", "new.exe").done());
  EXPECT_EQ(raw("Tool").bytes.size(), sizeof(L"old.exe"));
  ASSERT_EQ(answerer.seen.size(), 1u) << "the pane shows the Add dialog; the family asks only this";
  EXPECT_EQ(answerer.seen[0].title, L"Velmora");
  EXPECT_EQ(answerer.seen[0].text, widen("Replace " + key.path() + "|TOOL?"));
  EXPECT_TRUE(sink.records.empty());

  replaceAnswer = IDYES;
  EXPECT_TRUE(driver.add("TOOL", "new.exe").done());
  RegValue v;
  ASSERT_EQ(registry.queryValue(RootKey::CurrentUser, key.subkey(), "Tool", v), RegStatus::Ok);
  EXPECT_EQ(v.text, "new.exe");
  EXPECT_EQ(driver.list().size(), 1u);
}

// Windows Security's own tray entry is an expandable value: listed as stored,
// kept in config.xml with its type, and written back byte for byte.
TEST_F(RealRegistryPane, ExpandableValueIsRestoredByteForByteWithItsType) {
  const std::wstring text = L"%windir%\\system32\\SecurityHealthSystray.exe";
  HKEY h;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(key.subkey()).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(h, L"SecurityHealth", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  const DWORD number = 7;
  RegSetValueExW(h, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  RegCloseKey(h);
  const RawValue before = raw("SecurityHealth");
  ASSERT_EQ(before.type, static_cast<DWORD>(REG_EXPAND_SZ));
  tr.texts["_RegExpandString"] = "Registry value (expandable)";

  RegistryFamily pane{{key.path()}, registry, context};
  FamilyDriver driver{pane, scripted, commit};
  ASSERT_EQ(driver.list().size(), 1u) << "a REG_DWORD value is not listed";
  Row listed = driver.rows()[0];
  listed.writtenAt = {};
  listed.writtenAtShared = false;
  EXPECT_EQ(listed, (Row{"SecurityHealth", "Registry value (expandable)", narrow(text), key.path(), RowState::Live}));
  ASSERT_TRUE(driver.disable(0).done());
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{key.path(), "SecurityHealth", narrow(text), "REG_EXPAND_SZ"}}));
  EXPECT_NE(readFile(store.path()).find("valuetype=\"REG_EXPAND_SZ\""), std::string::npos);
  driver.list();
  ASSERT_TRUE(driver.enable(0).done());
  EXPECT_EQ(raw("SecurityHealth"), before);
  EXPECT_EQ(raw("Number").type, static_cast<DWORD>(REG_DWORD)) << "left untouched";
  EXPECT_TRUE(scripted.messages.empty());
}

// A RunOnceEx group in the real registry: its named value is listed at the
// group, not its title, and Disable and Enable give it back byte for byte,
// into the group again after Windows ran and deleted it.
TEST_F(RealRegistryPane, RunOnceExGroupValueComesBackByteForByte) {
  const std::string exSub = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
  const std::string group = "VelmoraTest" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
  const std::wstring groupSub = widen(exSub + "\\" + group);
  const std::string groupPath = "HKEY_LOCAL_MACHINE\\" + exSub + "\\" + group;
  struct Cleanup {
    std::wstring sub;
    ~Cleanup() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, sub.c_str()); }
  } cleanup{groupSub};
  const auto rawValue = [&](const wchar_t* name) {
    RawValue v;
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, groupSub.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &v.type, nullptr, &size) !=
        ERROR_SUCCESS)
      return RawValue{};
    v.bytes.resize(size);
    RegGetValueW(HKEY_LOCAL_MACHINE, groupSub.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &v.type, v.bytes.data(), &size);
    return v;
  };
  const std::wstring title = L"Finishing set-up";
  const std::wstring text = L"%windir%\\\u0141ukasz\\setup.exe /q";
  HKEY h;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, groupSub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(title.c_str()),
                 static_cast<DWORD>((title.size() + 1) * sizeof(wchar_t)));
  RegSetValueExW(h, L"Setup", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  const RawValue before = rawValue(L"Setup");
  ASSERT_EQ(before.type, static_cast<DWORD>(REG_EXPAND_SZ));
  tr.texts["_RegRunOnceEx"] = "Run once (extended)";

  RegistryFamily pane{{"HKEY_LOCAL_MACHINE\\" + exSub}, registry, context};
  FamilyDriver driver{pane, scripted, commit};
  driver.list();
  std::vector<Row> ours;
  for (const Row& r : driver.rows()) {
    if (r.path == groupPath) ours.push_back(r);
  }
  Row setup{"Setup", "Run once (extended)", narrow(text), groupPath, RowState::Live};
  setup.reasons = {{"_StatusRunsOnce", setup.status = "_StatusRunsOnce"}};  // Windows runs it once
  ASSERT_EQ(ours, (std::vector<Row>{setup})) << "the group's title is no entry";
  ASSERT_TRUE(driver.disable(rowOf(driver, "Setup")).done());
  EXPECT_EQ(rawValue(L"Setup").type, 0u);
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{groupPath, "Setup", narrow(text), "REG_EXPAND_SZ"}}));

  ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, groupSub.c_str()), ERROR_SUCCESS);
  driver.list();
  ASSERT_TRUE(driver.enable(rowOf(driver, "Setup")).done());
  EXPECT_EQ(rawValue(L"Setup"), before);
  EXPECT_TRUE(records().empty());
  EXPECT_EQ(sink.records.size(), 2u);
  EXPECT_TRUE(scripted.messages.empty());
}

// Columns 4 and 5 against real files: the publisher of a program with a
// version resource, a missing file, a RunServices row, an entry that came
// back after it was disabled.
TEST_F(RealRegistryPane, PublisherAndStatusFromRealFiles) {
  const std::string sample = directoryPart(win32::programPath()) + "\\two_translations_sample.exe";
  ASSERT_NE(GetFileAttributesW(widen(sample).c_str()), INVALID_FILE_ATTRIBUTES);
  tr.texts["_StatusFileMissing"] = "File not found";
  tr.texts["_StatusLegacy"] = "Not run by this version of Windows";
  tr.texts["_StatusCameBack"] = "Came back after it was disabled";
  win32::Win32ProgramFiles files;
  context.programFiles = &files;
  writeRaw("Sample", widen("\"" + sample + "\" /tray"));
  writeRaw("Gone", widen("\"" + dir.file("gone.exe") + "\" -q"));
  writeRaw("Shell", L"rundll32.exe shell32.dll,Control_RunDLL");
  writeRaw("Back", widen(sample));
  ASSERT_EQ(store.add(kRegistryRecords, {key.path(), "BACK", sample}), StoreStatus::Ok);
  const std::string services = key.path() + "\\RunServices";
  HKEY h;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(key.subkey() + "\\RunServices").c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  const std::wstring old = widen(sample);
  RegSetValueExW(h, L"Old", 0, REG_SZ, reinterpret_cast<const BYTE*>(old.c_str()),
                 static_cast<DWORD>((old.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);

  RegistryFamily pane{{key.path(), services}, registry, context};
  std::vector<Row> rows = pane.list();
  ASSERT_EQ(rows.size(), 6u);
  for (Row& r : rows) pane.describe(r);
  const auto shown = [&](const std::string& name, RowState state) {
    for (const Row& r : rows) {
      if (r.name == name && r.state == state) return r.publisher + "|" + r.status;
    }
    return std::string("no row");
  };
  EXPECT_EQ(shown("Sample", RowState::Live), "Sample Works|") << "CompanyName of the first translation";
  EXPECT_EQ(shown("Gone", RowState::Live), "|File not found");
  EXPECT_EQ(shown("Shell", RowState::Live).find("|File not found"), std::string::npos)
      << "rundll32.exe is found on the search path";
  EXPECT_EQ(shown("Back", RowState::Live), "Sample Works|Came back after it was disabled");
  EXPECT_EQ(shown("BACK", RowState::Disabled), "Sample Works|");
  EXPECT_EQ(shown("Old", RowState::Live), "Sample Works|Not run by this version of Windows");
}

// A bare program name Windows finds under App Paths (64-bit view), an
// expandable path expanded: the row is not "File not found".
TEST(ProgramFilesAppPaths, ABareNameRegisteredUnderAppPathsIsFound) {
  win32::Win32ProgramFiles files;
  const std::wstring name = L"velmoratool" + std::to_wstring(GetCurrentProcessId());
  const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name + L".exe";
  const std::wstring path = L"%SystemRoot%\\system32\\notepad.exe";
  HKEY h;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &h,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(h, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::optional<std::string> found = files.findBareName(win32::narrow(name));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
  ASSERT_TRUE(found.has_value());
  EXPECT_TRUE(equalsIgnoreCase(*found, win32::narrow(windows) + "\\system32\\notepad.exe")) << *found;
}

// Windows opens a startup folder's file by its type: its own programs and
// shortcuts, or whatever program the machine registered for the extension.
TEST(ProgramFilesTypes, ProgramsShortcutsAndRegisteredTypesOpenOthersDoNot) {
  win32::Win32ProgramFiles files;
  for (const char* own : {".exe", ".LNK", ".bat", ".cmd", ".com"}) EXPECT_TRUE(files.opensByExtension(own)) << own;
  const std::wstring ext = L".velmora" + std::to_wstring(GetCurrentProcessId());
  EXPECT_FALSE(files.opensByExtension(win32::narrow(ext)));
  EXPECT_FALSE(files.opensByExtension(""));
  // Registered (in this throwaway prefix) with a program to open it.
  const std::wstring progId = L"VelmoraTest" + std::to_wstring(GetCurrentProcessId());
  HKEY h;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + ext).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &h, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(progId.c_str()),
                 static_cast<DWORD>((progId.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  const std::wstring command = L"notepad.exe \"%1\"";
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + progId + L"\\shell\\open\\command").c_str(),
                            0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  EXPECT_TRUE(files.opensByExtension(win32::narrow(ext)));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + ext).c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + progId).c_str());
}

// A value written straight into a key, opened in the 64-bit view as the
// program opens it; removed again at the end, whatever happens.
class ScopedValue {
 public:
  ScopedValue(HKEY root, std::wstring subkey, std::wstring name, const std::wstring& text)
      : root_(root), subkey_(std::move(subkey)), name_(std::move(name)) {
    HKEY h;
    if (RegCreateKeyExW(root_, subkey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
      return;
    ok_ = RegSetValueExW(h, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(h);
  }
  ~ScopedValue() { (void)read(KEY_WOW64_64KEY, subkey_, true); }
  bool ok() const { return ok_; }
  // The value's text in one view of the registry under `subkey` ("" when it
  // is not there); `erase` deletes it.
  std::wstring read(REGSAM view, const std::wstring& subkey, bool erase = false) const {
    HKEY h;
    if (RegOpenKeyExW(root_, subkey.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE | view, &h) != ERROR_SUCCESS) return {};
    wchar_t buf[512] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t), type = 0;
    std::wstring out;
    if (RegQueryValueExW(h, name_.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS)
      out = buf;
    if (erase) RegDeleteValueW(h, name_.c_str());
    RegCloseKey(h);
    return out;
  }

 private:
  HKEY root_;
  std::wstring subkey_, name_;
  bool ok_ = false;
};

// Each Run-type key of today's Windows is listed under its node with its
// real path, and Disable then Enable writes the value back to that same key:
// the 32-bit programs' keys stay in the 32-bit view.
TEST_F(RealRegistryPane, NewRunLocationsAreListedAndWrittenBackToTheirOwnKey) {
  struct Case {
    int node;  // among the registry family's nodes
    HKEY root;
    const wchar_t* subkey;
    const wchar_t* view32;  // the classic path that shows the key in the 32-bit view, if any
  };
  const Case cases[] = {
      {2, HKEY_LOCAL_MACHINE, L"Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
       L"Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {2, HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", nullptr},
      {3, HKEY_LOCAL_MACHINE, L"Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
       L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {7, HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", nullptr},
  };
  const FamilyDescriptor descriptor = registryFamily(registry, context);
  for (const Case& c : cases) {
    const std::string path =
        std::string(c.root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + narrow(c.subkey);
    SCOPED_TRACE(path);
    const std::wstring name = L"VelmoraTest " + std::to_wstring(GetCurrentProcessId());
    ScopedValue value(c.root, c.subkey, name, L"\"C:\\Program Files (x86)\\Tool\\tool.exe\" /tray");
    ASSERT_TRUE(value.ok());

    const auto& node = descriptor.nodes[static_cast<std::size_t>(c.node)];
    RegistryFamily pane{std::vector<std::string>(node.locations.begin(), node.locations.end()), registry, context};
    FamilyDriver driver{pane, scripted, commit};
    driver.list();
    const int row = rowOf(driver, narrow(name));
    ASSERT_GE(row, 0);
    EXPECT_EQ(driver.rows()[static_cast<std::size_t>(row)].path, path) << "column 3 shows the real key";

    ASSERT_TRUE(driver.disable(row).done());
    EXPECT_EQ(value.read(KEY_WOW64_64KEY, c.subkey), L"");
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].path, path);
    driver.list();
    ASSERT_TRUE(driver.enable(rowOf(driver, narrow(name))).done());
    EXPECT_EQ(value.read(KEY_WOW64_64KEY, c.subkey), L"\"C:\\Program Files (x86)\\Tool\\tool.exe\" /tray");
    EXPECT_TRUE(records().empty());
    if (c.view32) {
      EXPECT_EQ(value.read(KEY_WOW64_32KEY, c.view32), L"\"C:\\Program Files (x86)\\Tool\\tool.exe\" /tray")
          << "a 32-bit program finds it where it left it";
      EXPECT_EQ(value.read(KEY_WOW64_64KEY, c.view32), L"") << "never moved into the 64-bit view";
    }
  }
  EXPECT_TRUE(scripted.messages.empty());
}

}  // namespace
}  // namespace velmora::testing
