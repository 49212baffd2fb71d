// The Run-key family against the real registry, a real config.xml and real
// dialogs and message boxes.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "core/win32/store_msxml.h"
#include "dialogs/win32/entry_dialog.h"
#include "fakes/fakes.h"
#include "lang/win32/translate_win32.h"
#include "pane/change_log.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "registry/registry_family.h"
#include "resource.h"
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
  bool confirm(const std::string& text) override { return win32::askConfirm(nullptr, tr_, text); }
  bool confirmWarning(const std::string& text) override { return win32::askWarning(nullptr, tr_, text); }
  bool entryDialog(EntryDialogKind kind, EntryDialogData& data) override {
    return win32::runEntryDialog(nullptr, kind, data, tr_);
  }
  void fileInformation(const std::string&) override {}

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
  int rowOf(const std::string& name) const {
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
      if (list.rows[i].name == name) return static_cast<int>(i);
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
  FakeList list;
  FamilyContext context{store, log, tr};
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

  RegistryFamily pane{{key.path()}, registry, context, scripted};
  pane.fill(list);
  ASSERT_EQ(list.rows.size(), 2u);
  for (const std::string& n : {name, std::string("ten")}) {
    const int row = rowOf(n);
    ASSERT_GE(row, 0);
    ASSERT_TRUE(pane.disable(list, row)) << n;
  }
  EXPECT_EQ(raw(name).type, 0u) << "the value left the key";
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{key.path(), name, narrow(data)}, {key.path(), "ten", "0123456789"}}));

  pane.fill(list);
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_EQ(list.rows[0].state, RowState::Disabled);
  EXPECT_TRUE(pane.enable(list, 0));
  EXPECT_TRUE(pane.enable(list, 1));
  EXPECT_EQ(raw(name), before);
  EXPECT_EQ(raw("ten").bytes.size(), 22u) << "ten UTF-16 characters and their terminating zero";
  EXPECT_TRUE(records().empty());
  ASSERT_EQ(sink.records.size(), 4u);
  EXPECT_EQ(sink.records[0].content, "disable " + key.path() + "|" + name + "|" + narrow(data));
  EXPECT_EQ(sink.records[2].content, "enable " + key.path() + "|" + name + "|" + narrow(data));
  EXPECT_TRUE(scripted.messages.empty());
}

// An installer rewrote the value after the list was read: its new text must
// not be deleted on the strength of the old one.
TEST_F(RealRegistryPane, DisableOfAValueChangedSinceTheListingLeavesItAlone) {
  writeRaw("Tool", L"C:\\Tool\\v1.exe");
  writeRaw("Gone", L"gone.exe");
  RegistryFamily pane{{key.path()}, registry, context, scripted};
  pane.fill(list);
  ASSERT_EQ(list.rows.size(), 2u);
  writeRaw("Tool", L"C:\\Tool\\v2.exe /update");
  const RawValue now = raw("Tool");
  ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, widen(key.subkey()).c_str(), L"Gone"), ERROR_SUCCESS);

  EXPECT_FALSE(pane.disable(list, rowOf("Tool")));
  EXPECT_FALSE(pane.disable(list, rowOf("Gone")));
  EXPECT_EQ(raw("Tool"), now) << "the new text stays in the key";
  EXPECT_EQ(raw("Gone").type, 0u);
  EXPECT_TRUE(records().empty());
  EXPECT_EQ(scripted.messages, (std::vector<std::string>{"changed Tool|" + key.path(), "changed Gone|" + key.path()}));
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(RealRegistryPane, ModifyFromAToBLeavesNoA) {
  writeRaw("A", L"a.exe");
  RegistryFamily pane{{key.path()}, registry, context, scripted};
  pane.fill(list);
  list.selection = 0;
  scripted.onDialog = [](EntryDialogKind, EntryDialogData& d) {
    d.name = "B";
    d.path = "b.exe";
    return true;
  };
  pane.modify(list, list.selected());
  EXPECT_EQ(raw("A").type, 0u);
  RegValue b;
  ASSERT_EQ(registry.queryValue(RootKey::CurrentUser, key.subkey(), "B", b), RegStatus::Ok);
  EXPECT_EQ(b.text, "b.exe");
  EXPECT_EQ(list.rows, (std::vector<Row>{{"B", "_RegString", "b.exe", key.path(), RowState::Live}}));
}

TEST_F(RealRegistryPane, ModifyOfOnlyTheCaseOfTheNameReachesTheRegistry) {
  writeRaw("tool", L"t.exe");
  RegistryFamily pane{{key.path()}, registry, context, scripted};
  pane.fill(list);
  list.selection = 0;
  scripted.onDialog = [](EntryDialogKind, EntryDialogData& d) {
    d.name = "Tool";
    return true;
  };
  pane.modify(list, list.selected());
  std::vector<RegValue> values;
  ASSERT_EQ(registry.enumerateValues(RootKey::CurrentUser, key.subkey(), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, "Tool");
  EXPECT_EQ(values[0].text, "t.exe");
}

TEST_F(RealRegistryPane, AddOfAnExistingNameAsksInAMessageBox) {
  writeRaw("Tool", L"old.exe");
  WindowPrompt prompt{tr};
  RegistryFamily pane{{key.path()}, registry, context, prompt};
  int replaceAnswer = IDCANCEL;
  DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen& seen) -> int {
    if (seen.title == L"Add Program") {
      SetDlgItemTextW(dlg, IDC_ENTRY_NAME, L"TOOL");
      SetDlgItemTextW(dlg, IDC_ENTRY_PATH, L"new.exe");
      return IDOK;
    }
    return replaceAnswer;
  });

  pane.add(list);
  EXPECT_EQ(raw("Tool").bytes.size(), sizeof(L"old.exe"));
  ASSERT_EQ(answerer.seen.size(), 2u);
  EXPECT_EQ(answerer.seen[1].title, L"Velmora");
  EXPECT_EQ(answerer.seen[1].text, widen("Replace " + key.path() + "|TOOL?"));
  EXPECT_TRUE(sink.records.empty());

  replaceAnswer = IDOK;
  pane.add(list);
  RegValue v;
  ASSERT_EQ(registry.queryValue(RootKey::CurrentUser, key.subkey(), "Tool", v), RegStatus::Ok);
  EXPECT_EQ(v.text, "new.exe");
  EXPECT_EQ(list.count(), 1);
}

}  // namespace
}  // namespace velmora::testing
