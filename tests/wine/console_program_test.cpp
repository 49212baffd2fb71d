// velmorac.exe, the console program, started as a script starts it: its
// output to files (as `velmorac list > file` in a command prompt), its exit
// code tested. The Task Scheduler double stands in for Wine's scheduler,
// which lists no task; everything else is the prefix's own.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "app/win32/main_frame.h"
#include "console/json.h"
#include "core/paths.h"
#include "lang/language_table.h"
#include "main_frame_res.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/wide.h"
#include "wine/support/frame_dialogs.h"
#include "wine/support/sample_task.h"
#include "wine/support/task_double.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUserRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Result {
  DWORD code = 0xFFFF;
  std::string out, err;
};

class ConsoleProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string built = directoryPart(win32::programPath());
    for (const char* file : {"velmorac.exe", "velmora.language"}) {
      ASSERT_TRUE(CopyFileW(widen(built + "\\" + file).c_str(), widen(copy.file(file)).c_str(), FALSE)) << file;
    }
    tasks.addTask("\\Vendor\\Console Task", sampleTask("C:\\Program Files\\Vendor\\update.exe"));
  }
  void TearDown() override {
    for (const std::wstring& name : seeded) RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, name.c_str());
  }

  // velmorac with `args`, standard output and error to files, as a script runs it.
  Result velmorac(const std::string& args) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const auto open = [&](const std::string& path) {
      return CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    };
    HANDLE out = open(io.file("stdout")), err = open(io.file("stderr"));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = err;
    std::wstring command = L"\"" + widen(copy.file("velmorac.exe")) + L"\" " + widen(args);
    PROCESS_INFORMATION pi{};
    Result r;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       widen(io.path()).c_str(), &si, &pi)) {
      if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &r.code);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    r.out = readFile(io.file("stdout"));
    r.err = readFile(io.file("stderr"));
    return r;
  }

  void setRun(const std::string& name, const std::string& data) {
    seeded.push_back(widen(name));
    const std::wstring d = widen(data);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, seeded.back().c_str(), REG_SZ, d.c_str(),
                              static_cast<DWORD>((d.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  std::optional<std::string> runValue(const std::string& name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, widen(name).c_str(), RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    return narrow(data);
  }
  // The entry named `name` in a JSON listing of the current user's Run key.
  static std::optional<JsonValue> listed(const std::string& json, const std::string& name) {
    const std::optional<JsonValue> document = parseJson(json);
    if (!document || !document->member("entries")) return std::nullopt;
    for (const JsonValue& e : document->member("entries")->items) {
      if (e.member("name") && e.member("name")->text == name && e.member("place")->text == kUserRun) return e;
    }
    return std::nullopt;
  }

  const std::string tag = std::to_string(GetCurrentProcessId());
  TempDir copy, io;
  TaskDoubleInstalled tasks;
  std::vector<std::wstring> seeded;
};

TEST_F(ConsoleProgram, ListsInEveryFormatAndComparesWithItsOwnListing) {
  const std::string name = "Velmora console, \"list\" " + tag;
  setRun(name, "C:\\Console\\tool.exe /tray");
  const Result csv = velmorac("list");
  EXPECT_EQ(csv.code, 0u) << csv.err;
  EXPECT_EQ(csv.out.substr(0, 6), "\xEF\xBB\xBFid,") << "a byte-order mark in a file";
  EXPECT_NE(csv.out.find(",\"Velmora console, \"\"list\"\" " + tag + "\",C:\\Console\\tool.exe /tray,"),
            std::string::npos);
  EXPECT_NE(csv.out.find(",scheduledtasks,\\Vendor\\Console Task,Console Task,"), std::string::npos) << "listed inline";
  EXPECT_EQ(csv.err, "");

  for (const char* format : {"csv", "tsv", "json", "xml"}) {
    const std::string baseline = io.file(std::string("baseline.") + format);
    const Result listing = velmorac(std::string("list /format ") + format + " /out \"" + baseline + "\"");
    EXPECT_EQ(listing.code, 0u) << format << listing.err;
    EXPECT_EQ(listing.out, "") << "with /out, standard output stays empty";
    const Result same = velmorac("compare \"" + baseline + "\"");
    EXPECT_EQ(same.code, 0u) << format << same.out << same.err;
    EXPECT_EQ(same.out,
              "\xEF\xBB\xBF"
              "change,field,id,family,place,name,before,after\r\n")
        << format;
  }
  const std::string added = "Velmora console added " + tag;
  setRun(added, "C:\\Console\\added.exe");
  const Result differs = velmorac("compare /format tsv \"" + io.file("baseline.json") + "\"");
  EXPECT_EQ(differs.code, 1u) << differs.err;
  EXPECT_NE(differs.out.find("\r\nadded\t\t"), std::string::npos) << differs.out;
  EXPECT_NE(differs.out.find("\t" + kUserRun + "\t" + added + "\t\tC:\\Console\\added.exe\r\n"), std::string::npos)
      << differs.out;

  const std::string json = readFile(io.file("baseline.json"));
  writeFile(io.file("damaged.json"), json.substr(0, json.size() / 2));
  for (const char* baseline : {"damaged.json", "missing.csv"}) {
    const Result damaged = velmorac("compare \"" + io.file(baseline) + "\"");
    EXPECT_EQ(damaged.code, 2u) << baseline;
    EXPECT_EQ(damaged.out, "");
    EXPECT_NE(damaged.err, "");
  }
}

TEST_F(ConsoleProgram, DisablesByIdThroughTheWindowsCommitWhoseUndoBringsItBack) {
  const SettingsSetAside settings;  // the window's layout: velmorac must leave it alone
  const std::string seenFile = narrow(win32::localAppDataFolder()) + "\\Velmora\\seen.xml";
  const bool seenBefore = win32::fileExists(seenFile);
  const std::string seenBytes = seenBefore ? readFile(seenFile) : "";
  const std::string name = "Velmora console switch " + tag;
  const std::string command = "\"C:\\Console Tools\\switch.exe\" /quiet";
  setRun(name, command);
  const std::string listing = io.file("listing.json");
  ASSERT_EQ(velmorac("list /format json /out \"" + listing + "\"").code, 0u);
  const std::optional<JsonValue> before = listed(readFile(listing), name);
  ASSERT_TRUE(before);
  const std::string id = before->member("id")->text;
  EXPECT_TRUE(before->member("enabled")->boolean);

  const Result unknown = velmorac("disable " + id + " 0000000000000000");
  EXPECT_EQ(unknown.code, 2u);
  EXPECT_NE(unknown.err.find("0000000000000000"), std::string::npos) << unknown.err;
  EXPECT_EQ(runValue(name), command) << "an unknown id changes nothing, not even the known one";
  const Result whatIf = velmorac("disable " + id + " /whatif");
  EXPECT_EQ(whatIf.code, 0u);
  EXPECT_NE(whatIf.out.find(name), std::string::npos);
  EXPECT_EQ(runValue(name), command);
  EXPECT_FALSE(win32::fileExists(copy.file("config.xml")));

  {
    // The window runs: its one-instance lock does not stop velmorac.
    const win32::KernelHandle lock(CreateMutexW(nullptr, FALSE, L"{2E1BCC9F-86B7-44fd-BD6A-171E82463969}"));
    const Result disabled = velmorac("disable " + id);
    EXPECT_EQ(disabled.code, 0u) << disabled.err;
    EXPECT_EQ(disabled.err, "");
  }
  EXPECT_FALSE(runValue(name)) << "the value is gone";
  EXPECT_NE(readFile(copy.file("config.xml")).find(name), std::string::npos) << "its record is kept";
  EXPECT_NE(readFile(copy.file("history.xml")).find(name), std::string::npos) << "the change history holds it";
  ASSERT_EQ(velmorac("list /format json /out \"" + listing + "\"").code, 0u);
  const std::optional<JsonValue> after = listed(readFile(listing), name);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->member("id")->text, id) << "a disabled entry keeps its id";
  EXPECT_FALSE(after->member("enabled")->boolean);
  EXPECT_EQ(after->member("record")->text, copy.file("config.xml"));

  HKEY settingsKey = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Velmora", 0, KEY_READ, &settingsKey), ERROR_SUCCESS)
      << "no window layout written";
  EXPECT_EQ(win32::fileExists(seenFile), seenBefore);
  if (seenBefore) {
    EXPECT_EQ(readFile(seenFile), seenBytes) << "seen.xml untouched";
  }

  {
    // The window's Change History lists the change, and its Undo brings the value back.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
    language.setFile(copy.file("velmora.language"));
    std::unique_ptr<win32::MainFrame> frame;
    FrameDialogs dialogs{[&frame] { return frame ? frame->hwnd() : nullptr; }};
    frame = std::make_unique<win32::MainFrame>(ProgramFiles{copy.path(), "velmora"}, language, nullptr);
    ASSERT_NE(frame->create(GetModuleHandleW(nullptr), nullptr), nullptr);
    dialogs.historyDialog = [](HWND dialog) {
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_UNDO, BN_CLICKED), 0);
    };
    SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(ID_HISTORY, 0), 0);
    pumpMessages();
    frame.reset();
    pumpMessages();
    EXPECT_TRUE(dialogs.shown.empty());
  }
  EXPECT_EQ(runValue(name), command) << "Undo in the window";

  // Off and on again by the same id.
  ASSERT_EQ(velmorac("disable " + id).code, 0u);
  ASSERT_FALSE(runValue(name));
  const Result enabled = velmorac("enable " + id);
  EXPECT_EQ(enabled.code, 0u) << enabled.err;
  EXPECT_EQ(runValue(name), command);
}

}  // namespace
}  // namespace velmora::testing
