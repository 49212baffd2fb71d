// Velmora's entry point: start-up, the main window's message loop, shutdown.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <exception>

#include "app/win32/main_frame.h"
#include "app/win32/message_loop.h"
#include "app/win32/skin_layer.h"
#include "core/win32/log_component.h"
#include "core/win32/store_msxml.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"

using namespace velmora;

namespace {

constexpr const wchar_t* kInstanceMutex = L"{2E1BCC9F-86B7-44fd-BD6A-171E82463969}";

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

 private:
  HANDLE h_;
};

// Everything after the component model is up, so that every way out of
// start-up takes it down again in the same order.
int runProgram(HINSTANCE instance) {
  const ProgramFiles files = win32::programFiles();
  win32::SkinLayer& skin = win32::skinLayer();
  skin.init(instance, "Demo");
  skin.load(files.skinFile());

  LanguageTable& language = win32::languageTable();
  language.setFile(files.languageFile());

  int result = 0;
  if (!win32::xmlParserInstalled()) {
    MessageBoxW(nullptr, win32::widen(language.translate("_NotInstallXML2")).c_str(),
                win32::widen(language.translate("_ToolVelmora")).c_str(), MB_ICONINFORMATION);
  } else {
    win32::LogConnection& log = win32::logConnection();
    // Without a log (none registered, or the data folder refused) the
    // program works all the same.
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
      if (HWND window = frame.create(instance, &loop)) {
        ShowWindow(window, SW_SHOWMAXIMIZED);
        result = loop.run();
      }
    }
  }
  skin.shutdown();
  return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return 0;
  }
  Handle instanceLock(mutex);

  // COM stays up until everything that used it (the store, shell links, the
  // log) is gone.
  const HRESULT com = CoInitialize(nullptr);
  int result = 0;
  try {
    result = runProgram(instance);
  } catch (const std::exception& e) {
    OutputDebugStringA(e.what());
  } catch (...) {
    OutputDebugStringA("unexpected exception at start-up");
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
