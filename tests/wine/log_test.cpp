// The operation-log connection, the built-in component and its viewer, on
// real files and real windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "core/log_file.h"
#include "core/paths.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/com_ptr.h"
#include "core/win32/log_component.h"
#include "dialogs/win32/log_viewer.h"
#include "fakes/fakes.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

class ComApartment : public ::testing::Environment {
 public:
  void SetUp() override {
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void TearDown() override { CoUninitialize(); }
};
const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new ComApartment);

std::wstring headerText(HWND list, int column) {
  wchar_t buf[256] = {};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = buf;
  col.cchTextMax = 256;
  SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
  return buf;
}

class LogConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    translator.texts = {{"_LogViewerTitle", "Operation Log"}, {"_LogColumnTime", "Time"},
                        {"_LogColumnItemType", "Action"},     {"_LogColumnContent", "Details"},
                        {"_LogColumnType", "Type"},           {"_LogColumnCategory", "Category"},
                        {"_LogColumnSource", "Source"},       {"_Close", "Close"}};
    // As start-up does: the application hands the log its viewer.
    connection.setViewer([this](HWND owner, const std::string& file) { win32::showLogViewer(owner, file, translator); });
  }

  std::string logFile() const { return logFilePath(dataFolder); }

  TempDir dir;
  std::string dataFolder = dir.file("Program\\Log\\Data");
  MapTranslator translator;
  win32::LogConnection connection;
};

TEST_F(LogConnectionTest, BuiltInLogKeepsEveryRecordWhole) {
  ASSERT_TRUE(connection.connect(dataFolder)) << "the missing folders are created";
  EXPECT_NE(GetFileAttributesW(widen(dataFolder).c_str()), INVALID_FILE_ATTRIBUTES);
  LogSink* sink = connection.sink();
  ASSERT_NE(sink, nullptr);

  const LogRecord first{"Change", "Startup entry", "Disable", "Velmora", "Disabled in HKCU\\Run: \"Tool\""};
  const LogRecord odd{"a\tb", "line1\r\nline2", "\xC5\x81ukasz", "back\\slash\\n",
                      "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x9A\x80 <&> \t end\n"};
  SYSTEMTIME before;
  GetLocalTime(&before);
  EXPECT_TRUE(sink->write(first));
  EXPECT_TRUE(sink->write(odd));
  EXPECT_EQ(GetModuleHandleW(L"oleaut32.dll"), nullptr) << "our own log is written without automation strings";

  const std::string bytes = readFile(logFile());
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 2) << "one line a record: " << bytes;
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  const auto entries = readLogNewestFirst(bytes);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].record, odd);
  EXPECT_EQ(entries[1].record, first);
  // A local time stamp of today.
  char today[16];
  std::snprintf(today, sizeof today, "%04d-%02d-%02d ", before.wYear, before.wMonth, before.wDay);
  EXPECT_EQ(entries[1].time.size(), 19u);
  EXPECT_EQ(entries[1].time.rfind(today, 0), 0u) << entries[1].time;

  // A later connection (the next start) appends to the same file.
  win32::LogConnection next;
  ASSERT_TRUE(next.connect(dataFolder + "\\"));
  EXPECT_TRUE(next.sink()->write(first));
  EXPECT_EQ(readLogNewestFirst(readFile(logFile())).size(), 3u);
}

TEST_F(LogConnectionTest, FolderDeletedAfterStartIsMadeAgain) {
  ASSERT_TRUE(connection.connect(dataFolder));
  ASSERT_TRUE(RemoveDirectoryW(widen(dataFolder).c_str()));
  EXPECT_TRUE(connection.sink()->write(LogRecord{"t", "c", "i", "s", "x"}));
  EXPECT_EQ(readLogNewestFirst(readFile(logFile())).size(), 1u);
}

TEST_F(LogConnectionTest, AFailedWriteIsReportedAndNothingBreaks) {
  ASSERT_TRUE(connection.connect(dataFolder));
  ASSERT_TRUE(connection.sink()->write(LogRecord{"t", "c", "i", "s", "kept"}));
  // The file cannot be opened for writing (a folder took its name; the
  // prefix runs as root, so a read-only attribute would not stop it).
  const std::string kept = readFile(logFile());
  ASSERT_TRUE(DeleteFileW(widen(logFile()).c_str()));
  ASSERT_TRUE(CreateDirectoryW(widen(logFile()).c_str(), nullptr));
  EXPECT_FALSE(connection.sink()->write(LogRecord{"t", "c", "i", "s", "lost"}));
  RemoveDirectoryW(widen(logFile()).c_str());
  EXPECT_TRUE(connection.sink()->write(LogRecord{"t", "c", "i", "s", "after"})) << "the next record is kept again";
  const auto entries = readLogNewestFirst(readFile(logFile()));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].record.content, "after");
  EXPECT_FALSE(kept.empty());
}

TEST_F(LogConnectionTest, RefusedDataFolderMeansNoLog) {
  writeFile(dir.file("Program"), "a file where the folder should be");
  DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return IDCANCEL; });
  EXPECT_FALSE(connection.connect(dataFolder));
  EXPECT_EQ(connection.sink(), nullptr);
  EXPECT_EQ(connection.component(), nullptr);
  connection.openViewer(nullptr);
  EXPECT_TRUE(answerer.seen.empty()) << "no viewer without a component";
  EXPECT_EQ(readFile(dir.file("Program")), "a file where the folder should be");
}

TEST_F(LogConnectionTest, NothingConnectedDoesNothing) {
  DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return IDCANCEL; });
  EXPECT_EQ(connection.sink(), nullptr);
  connection.openViewer(nullptr);
  EXPECT_TRUE(answerer.seen.empty());

  OperationLog log(translator, connection.sink());
  EXPECT_FALSE(log.record(LogOperation::Remove, LogKeys{""}, {"HKCU\\Run", "Tool"})) << "nothing to keep it";
  ASSERT_TRUE(connection.connect(dataFolder));
  connection.disconnect();
  EXPECT_EQ(connection.sink(), nullptr);
  connection.openViewer(nullptr);
  EXPECT_TRUE(answerer.seen.empty());
  EXPECT_EQ(GetFileAttributesW(widen(logFile()).c_str()), INVALID_FILE_ATTRIBUTES) << "nothing was written";
}

// The log is core and knows no window of the program: without the viewer
// that start-up hands over, the built-in component shows nothing and says so.
TEST_F(LogConnectionTest, WithoutAViewerTheBuiltInLogOpensNothing) {
  win32::LogConnection bare;
  ASSERT_TRUE(bare.connect(dataFolder));
  DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return IDCANCEL; });
  EXPECT_EQ(bare.component()->OpenViewer(0, nullptr), E_NOTIMPL);
  EXPECT_TRUE(answerer.seen.empty());

  std::vector<std::string> opened;
  bare.setViewer([&](HWND, const std::string& file) { opened.push_back(file); });
  ASSERT_TRUE(bare.connect(dataFolder)) << "the viewer is taken at connect";
  bare.openViewer(nullptr);
  EXPECT_EQ(opened, std::vector<std::string>{logFile()});
}

// A component from elsewhere sees the calls in the interface's binary slots.
TEST_F(LogConnectionTest, OperationsSitInTheirVtableSlots) {
  ASSERT_TRUE(connection.connect(dataFolder));
  win32::ILogComponent* component = connection.component();
  ASSERT_NE(component, nullptr);
  void** vtable = *reinterpret_cast<void***>(component);
  using SetFolder = HRESULT(STDMETHODCALLTYPE*)(void*, BSTR);
  using Write = HRESULT(STDMETHODCALLTYPE*)(void*, BSTR, BSTR, BSTR, BSTR, BSTR);
  win32::Bstr other(widen(dir.file("Other")));
  ASSERT_EQ(reinterpret_cast<SetFolder>(vtable[4])(component, other.get()), S_OK);
  win32::Bstr t(L"type"), c(L"category"), i(L"item type"), s(L"source"), x(L"content");
  ASSERT_EQ(reinterpret_cast<Write>(vtable[9])(component, t.get(), c.get(), i.get(), s.get(), x.get()), S_OK);
  const auto entries = readLogNewestFirst(readFile(logFilePath(dir.file("Other"))));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].record, (LogRecord{"type", "category", "item type", "source", "content"}));

  win32::ComPtr<IUnknown> same;
  EXPECT_EQ(component->QueryInterface(win32::kIidLogComponent, same.putVoid()), S_OK);
  EXPECT_EQ(component->QueryInterface(win32::kIidViewerSite, same.putVoid()), E_NOINTERFACE);
}

TEST_F(LogConnectionTest, ViewerListsNewestFirstAndCloses) {
  ASSERT_TRUE(connection.connect(dataFolder));
  ASSERT_TRUE(connection.sink()->write(LogRecord{"Change", "Startup entry", "Disable", "Velmora", "first"}));
  ASSERT_TRUE(connection.sink()->write(LogRecord{"Change", "Startup entry", "Enable", "Velmora", "second\nline \xC5\x81"}));
  ASSERT_TRUE(connection.sink()->write(LogRecord{"Change", "Startup entry", "Remove", "Velmora", "third"}));

  std::vector<std::vector<std::wstring>> rows;
  std::vector<std::wstring> headers;
  std::wstring title;
  DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen& seen) {
    title = seen.title;
    HWND list = GetDlgItem(dlg, IDC_LOGVIEWER_LIST);
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_LABELTIP) << "cut cells show as tips";
    for (int c = 0; c < 6; ++c) headers.push_back(headerText(list, c));
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < count; ++r) {
      rows.emplace_back();
      for (int c = 0; c < 6; ++c) rows.back().push_back(cellText(list, r, c));
    }
    return IDCANCEL;
  });
  connection.openViewer(nullptr);

  ASSERT_EQ(answerer.seen.size(), 1u) << "one modal dialog, and it has closed";
  EXPECT_EQ(title, L"Operation Log");
  EXPECT_EQ(headers, (std::vector<std::wstring>{L"Time", L"Action", L"Details", L"Type", L"Category", L"Source"}));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][1], L"Remove");
  EXPECT_EQ(rows[0][2], L"third");
  EXPECT_EQ(rows[1][2], L"second line \u0141") << "a line break shows as a space";
  EXPECT_EQ(rows[2][2], L"first");
  EXPECT_EQ(rows[2][3], L"Change");
  EXPECT_EQ(rows[2][4], L"Startup entry");
  EXPECT_EQ(rows[2][5], L"Velmora");
  // Kept as "YYYY-MM-DD hh:mm:ss", shown in the user's own format: today's
  // short date first (either side of midnight).
  const auto today = [] {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t date[64] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64, nullptr);
    return std::wstring(date) + L" ";
  };
  const std::wstring before = today();
  EXPECT_TRUE(rows[2][0].rfind(before, 0) == 0 || rows[2][0].rfind(today(), 0) == 0) << win32::narrow(rows[2][0]);
}

TEST_F(LogConnectionTest, AFullLogRollsOverAndTheViewerShowsBothFilesNewestFirst) {
  ASSERT_TRUE(connection.connect(dataFolder));
  // A current file just under the limit, as if written over many starts.
  const std::string old = encodeLogLine(LogEntry{"2026-01-01 10:00:00", {"t", "c", "i", "s", "oldest"}}) + "\r\n";
  std::string full;
  while (full.size() + old.size() <= kLogRollOverBytes) full += old;
  writeFile(logFile(), full);
  ASSERT_TRUE(connection.sink()->write(LogRecord{"t", "c", "i", "s", "newest"}));

  EXPECT_EQ(readFile(olderLogFilePath(logFile())), full) << "the full file became the older one, whole";
  const auto current = readLogNewestFirst(readFile(logFile()));
  ASSERT_EQ(current.size(), 1u);
  EXPECT_EQ(current[0].record.content, "newest");

  const std::size_t records = full.size() / old.size() + 1;
  int count = -1;
  std::wstring first, last;
  DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen&) {
    HWND list = GetDlgItem(dlg, IDC_LOGVIEWER_LIST);
    count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    first = cellText(list, 0, 2);
    last = cellText(list, count - 1, 2);
    return IDCANCEL;
  });
  connection.openViewer(nullptr);
  EXPECT_EQ(count, static_cast<int>(records));
  EXPECT_EQ(first, L"newest");
  EXPECT_EQ(last, L"oldest");
}

TEST_F(LogConnectionTest, ViewerOfAnEmptyLogIsEmpty) {
  ASSERT_TRUE(connection.connect(dataFolder));
  int count = -1;
  DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen&) {
    count = static_cast<int>(SendDlgItemMessageW(dlg, IDC_LOGVIEWER_LIST, LVM_GETITEMCOUNT, 0, 0));
    return IDCANCEL;
  });
  connection.openViewer(nullptr);
  EXPECT_EQ(count, 0);
}

// A component registered under the ProgID wins over the built-in one.
class RecordingComponent final : public win32::ILogComponent, public IClassFactory {
 public:
  std::wstring folder;
  std::vector<std::vector<std::wstring>> records;
  int viewerCalls = 0;
  long viewerReserved = -1;
  bool siteWasNull = false;
  ULONG refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (IsEqualIID(iid, win32::kIidLogComponent)) *out = static_cast<win32::ILogComponent*>(this);
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) *out = static_cast<IClassFactory*>(this);
    if (!*out) return E_NOINTERFACE;
    ++refs;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** out) override {
    return QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE OpenViewer(long reserved, IUnknown* site) override {
    ++viewerCalls;
    viewerReserved = reserved;
    siteWasNull = site == nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetDataFolder(BSTR f) override {
    folder = f;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE WriteRecord(BSTR a, BSTR b, BSTR c, BSTR d, BSTR e) override {
    records.push_back({a, b, c, d, e});
    return E_FAIL;  // a failing component: the caller only hears false
  }
};

// A class registered under HKEY_LOCAL_MACHINE\Software\Classes (64-bit
// view) with its in-process server: the ProgID's class id, and the DLL.
class MachineRegistration {
 public:
  static constexpr const wchar_t* kClass = L"{6B1D7E21-3F4A-4C55-9E11-520C7D3A9001}";
  MachineRegistration(HKEY root, const std::wstring& dll) : root_(root) {
    set(L"Software\\Classes\\Tessary.Log\\CLSID", kClass);
    set(std::wstring(L"Software\\Classes\\CLSID\\") + kClass + L"\\InprocServer32", dll);
  }
  ~MachineRegistration() {
    RegDeleteTreeW(root_, L"Software\\Classes\\Tessary.Log");
    RegDeleteTreeW(root_, (std::wstring(L"Software\\Classes\\CLSID\\") + kClass).c_str());
  }

 private:
  void set(const std::wstring& key, const std::wstring& value) {
    HKEY k = nullptr;
    RegCreateKeyExW(root_, key.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, &k, nullptr);
    RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
  }
  HKEY root_;
};

// The test's server DLL, handed the recorder as its class object.
std::wstring logDouble(RecordingComponent& recorder) {
  const std::wstring dll = widen(directoryPart(win32::programPath())) + L"\\velmora_log_double.dll";
  HMODULE module = LoadLibraryW(dll.c_str());
  using Set = void(WINAPI*)(IClassFactory*);
  const auto set = reinterpret_cast<Set>(reinterpret_cast<void*>(GetProcAddress(module, "SetLogDoubleTarget")));
  if (set) set(static_cast<IClassFactory*>(&recorder));
  return dll;
}

TEST_F(LogConnectionTest, RegisteredComponentIsPreferred) {
  RecordingComponent recorder;
  bool connected = false;
  {
    // The prefix is this build's own; the entries are taken out again.
    const MachineRegistration registered(HKEY_LOCAL_MACHINE, logDouble(recorder));
    connected = connection.connect(dataFolder);
  }
  ASSERT_TRUE(connected);
  EXPECT_EQ(recorder.folder, widen(dataFolder));

  EXPECT_FALSE(connection.sink()->write(LogRecord{"t", "c", "i", "s", "\xE6\x97\xA5"}));
  ASSERT_EQ(recorder.records.size(), 1u);
  EXPECT_EQ(recorder.records[0], (std::vector<std::wstring>{L"t", L"c", L"i", L"s", L"\u65E5"}));

  connection.openViewer(nullptr);
  EXPECT_EQ(recorder.viewerCalls, 1);
  EXPECT_EQ(recorder.viewerReserved, 0);
  EXPECT_TRUE(recorder.siteWasNull) << "it offers no such interface";
  connection.disconnect();
  EXPECT_EQ(recorder.refs, 1u) << "every reference taken was given back";
  EXPECT_EQ(GetFileAttributesW(widen(dataFolder).c_str()), INVALID_FILE_ATTRIBUTES)
      << "the built-in log was not used";
}

// A user may register classes for himself (HKEY_CURRENT_USER\Software\
// Classes), and COM would take his first: Velmora never does, with or
// without administrator rights.
TEST_F(LogConnectionTest, AComponentRegisteredOnlyForTheUserIsNeverLoaded) {
  RecordingComponent recorder;
  bool connected = false;
  {
    const MachineRegistration registered(HKEY_CURRENT_USER, logDouble(recorder));
    connected = connection.connect(dataFolder);
  }
  ASSERT_TRUE(connected) << "the built-in one keeps the log";
  EXPECT_TRUE(recorder.folder.empty());
  EXPECT_TRUE(connection.sink()->write(LogRecord{"t", "c", "i", "s", "x"}));
  EXPECT_TRUE(recorder.records.empty());
  EXPECT_NE(GetFileAttributesW(widen(logFile()).c_str()), INVALID_FILE_ATTRIBUTES);
  connection.disconnect();
  EXPECT_EQ(recorder.refs, 1u) << "never asked for";
}

}  // namespace
}  // namespace velmora::testing
