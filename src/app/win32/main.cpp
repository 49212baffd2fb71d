// Velmora's entry point: start-up, the main window's message loop, shutdown.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "app/single_instance.h"
#include "app/win32/data_folders_win32.h"
#include "app/win32/export_command.h"
#include "app/win32/language_menu.h"
#include "app/win32/main_frame.h"
#include "app/win32/message_loop.h"
#include "app/win32/skin_layer.h"
#include "core/format.h"
#include "core/win32/log_component.h"
#include "core/win32/store_msxml.h"
#include "dialogs/win32/log_viewer.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/failure_report.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/worker_thread.h"

using namespace velmora;

namespace {

// One Velmora per user and session: two users of one PC (fast user
// switching, a remote session) each have theirs, and the machine's data
// they share is guarded by a lock of its own (MutexDataLock).
constexpr const wchar_t* kInstanceMutex = L"Local\\{2E1BCC9F-86B7-44fd-BD6A-171E82463969}-";
// How long an instance started again as administrator waits for the one
// that started it to close: 100 tries, 100 ms apart.
constexpr int kRestartTries = 100;
constexpr DWORD kRestartPauseMs = 100;

// The main window of the Velmora already running in this session (a
// dialog titled "Velmora (...", of this program's product name), shown and
// brought to the front.
void bringRunningInstanceForward() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM out) -> BOOL {
        wchar_t cls[16] = {}, title[32] = {};
        GetClassNameW(window, cls, 16);
        GetWindowTextW(window, title, 32);
        if (std::wstring_view(cls) != L"#32770" || std::wstring_view(title).rfind(L"Velmora (", 0) != 0) return TRUE;
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  if (!found) return;
  if (IsIconic(found)) ShowWindowAsync(found, SW_RESTORE);
  SetForegroundWindow(found);
}

// Everything after the component model is up, so that every way out of
// start-up takes it down again in the same order.
int runProgram(HINSTANCE instance) {
  const ProgramFiles files = win32::programFiles();
  win32::SkinLayer& skin = win32::skinLayer();
  skin.init(instance, "Demo");
  skin.load(files.skinFile());

  LanguageTable& language = win32::languageTable();
  language.setFile(win32::startupLanguageFile(files));
  // A fault no caller can be told of is shown to the user as well as to a
  // debugger.
  win32::setFailureSink([&language](HWND owner, const std::string& what) {
    win32::showMessage(owner, language, language.translate("_UnexpectedFailure", Escapes::Convert) + "\r\n\r\n" + what);
  });

  int result = 0;
  if (!win32::xmlParserInstalled()) {
    MessageBoxW(nullptr, win32::widen(language.translate("_NotInstallXML2")).c_str(),
                win32::widen(language.translate("_ToolVelmora")).c_str(), MB_ICONINFORMATION);
  } else {
    win32::LogConnection& log = win32::logConnection();
    log.setViewer([&language](HWND owner, const std::string& logFile) {
      win32::showLogViewer(owner, logFile, language);
    });
    // Without a log (none registered, or the data folder refused) the
    // program works all the same.
    win32::makeDataFolders(files);
    // Said to an administrator, who can have it repaired; the records of
    // places of all users are kept beside the program meanwhile.
    if (const auto refused = win32::untrustedMachineFolder(files); refused && win32::runsElevated()) {
      MessageBoxW(nullptr,
                  win32::widen(safeFormat(language.translate("_MachineFolderNotTrusted", Escapes::Convert),
                                          {*refused, files.directory}))
                      .c_str(),
                  win32::widen(language.translate("_ToolVelmora")).c_str(), MB_ICONWARNING);
    }
    log.connect(files.logDataFolder());
    // Released before COM goes down, however start-up or the loop ends.
    struct Disconnect {
      win32::LogConnection& log;
      ~Disconnect() { log.disconnect(); }
    } disconnect{log};

    // The program's own controls as well as the bar and cool classes.
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    {
      win32::MessageLoop loop;
      win32::MainFrame frame(files, language, log.sink());
      HWND window = nullptr;
      {
        // The window and its first pane are made with one reading of the language file.
        const LanguageTable::Hold oneReading(language);
        window = frame.create(instance, &loop);
      }
      if (window) {
        ShowWindow(window, frame.showCommand());
        result = loop.run();
        frame.closing();
      }
    }
  }
  skin.shutdown();
  return result;
}

// `velmora.exe /export FILE`: no window, and no single-instance lock, since
// an export changes nothing.
int runExport(const std::string& file) {
  const ProgramFiles files = win32::programFiles();
  LanguageTable& language = win32::languageTable();
  language.setFile(win32::startupLanguageFile(files));
  if (!win32::xmlParserInstalled()) return 1;
  return win32::exportFromCommandLine(files, language, file);
}

// COM stays up until everything that used it (the store, shell links, the
// log) is gone; nothing thrown leaves without a report, and then the result
// is `failed`.
template <class Work>
int withCom(const char* what, int failed, Work work) {
  const HRESULT com = CoInitialize(nullptr);
  int result = failed;
  try {
    result = work();
  } catch (...) {
    win32::reportFailure(nullptr, what, win32::currentExceptionText());
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  // Code from the system folder only, before anything loads a DLL by name:
  // a DLL planted beside a copy run from Downloads is never loaded (the
  // DLLs Windows does not protect are not imported, see the build).
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

  // The installer makes or repairs the machine's data folder through this.
  if (win32::machineFolderRequest(GetCommandLineW())) return win32::prepareMachineFolderNow() ? 0 : 1;

  // An export changes nothing: no window, and no single-instance lock.
  if (const auto file = win32::exportRequest(GetCommandLineW())) {
    constexpr int kExportFailed = 1;
    return withCom("export", kExportFailed, [&] { return runExport(*file); });
  }

  // The lock is the mutex's existence. An instance started again as
  // administrator retries while the old one closes (it closes once the new
  // one has started); it must drop its own handle between tries, or the
  // mutex would outlive the old instance.
  win32::KernelHandle instanceLock;
  const std::vector<std::string> account = win32::currentAccountNames();
  const std::wstring instanceName = kInstanceMutex + win32::widen(account.empty() ? std::string() : account.front());
  const bool mayRun = claimSingleInstance(
      [&instanceLock, &instanceName] {
        HANDLE mutex = CreateMutexW(nullptr, FALSE, instanceName.c_str());
        const DWORD error = GetLastError();
        instanceLock.reset(mutex);
        // One running as administrator owns a mutex this one may not open.
        if (instanceLock ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED) {
          instanceLock.reset();
          return InstanceClaim::HeldByAnother;
        }
        return InstanceClaim::Claimed;
      },
      startedAsRestart(win32::narrow(commandLine ? commandLine : L"")), [] { Sleep(kRestartPauseMs); },
      kRestartTries);
  if (!mayRun) {
    // The user's Velmora of this session is running: it comes to the front
    // instead of a second one, which would only vanish.
    bringRunningInstanceForward();
    return 0;
  }
  const int result = withCom("start-up", 0, [&] { return runProgram(instance); });
  // A worker still in a call that does not come back (a hung service, a
  // network drive): everything is saved, so the process ends now, with its
  // code, rather than tear down what the worker may still touch.
  if (win32::WorkerThread::leftRunning() > 0) ExitProcess(static_cast<UINT>(result));
  return result;
}
