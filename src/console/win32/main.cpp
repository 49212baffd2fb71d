// velmorac.exe, Velmora's console program: the window's families, stores,
// history and commit (app/win32/composition.h) behind a command line.
// It never shows a window and never asks: data to standard output, messages
// to standard error, and an exit code a script can test. It takes no
// single-instance lock, so a running window does not block it, and it
// never writes what only the window keeps (its layout, seen.xml).
#include <windows.h>
#include <objbase.h>

#include <exception>
#include <string>
#include <vector>

#include "app/win32/admin_restart_win32.h"
#include "app/win32/composition.h"
#include "console/command_line.h"
#include "console/console_commands.h"
#include "console/win32/console_host_win32.h"
#include "core/format.h"
#include "core/win32/log_component.h"
#include "core/win32/store_msxml.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/failure_report.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"

using namespace velmora;

namespace {

// The window's program files: velmorac reads the window's language file
// and keeps its records, history and log where the window does.
ProgramFiles windowFiles() {
  ProgramFiles files = win32::programFiles();
  files.baseName = "velmora";
  return files;
}

int run(const std::vector<std::string>& arguments, win32::Win32ConsoleHost& host) {
  const ProgramFiles files = windowFiles();
  LanguageTable& language = win32::languageTable();
  language.setFile(files.languageFile());
  // One reading of the language file for the whole run.
  const LanguageTable::Hold oneReading(language);

  const ParsedCommandLine parsed = parseCommandLine(arguments);
  if (parsed.error) {
    host.writeMessage(safeFormat(language.translate(parsed.error->key, Escapes::Convert), {parsed.error->value}));
    host.writeMessage(language.translate("_ConsoleSeeHelp", Escapes::Convert));
    return console_exit::kFailed;
  }
  const ConsoleCommand& command = parsed.command;
  if (command.verb == ConsoleVerb::Help) {
    host.writeData(consoleUsage(language));
    return console_exit::kDone;
  }
  if (!win32::xmlParserInstalled()) {
    host.writeMessage(language.translate("_NotInstallXML2", Escapes::Convert));
    return console_exit::kFailed;
  }

  // A change is logged as the window logs it; a listing changes nothing.
  const bool changes = command.verb == ConsoleVerb::Disable || command.verb == ConsoleVerb::Enable;
  win32::LogConnection& log = win32::logConnection();
  if (changes && !command.whatIf) {
    win32::makeDataFolders(files);
    log.connect(files.logDataFolder());
    host.finishChangesOnStop();
  }
  struct Disconnect {
    win32::LogConnection& log;
    ~Disconnect() { log.disconnect(); }
  } disconnect{log};

  ConsoleRights rights(win32::hasAdministratorRights());
  ConsolePrompt prompt(language, [&host](std::string_view text) { host.writeMessage(text); });
  win32::Composition root(files, language, log.sink(), win32::Composition::Mode::Inline, &rights);
  RecordFiles records(root.store(), root.recordFiles());
  ConsoleEngine engine{root.families(), root.commit(), language, &root.signatures(), &records};
  return runConsoleCommand(command, engine, host, prompt, rights);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Code from the system folder only, as the window program: a DLL planted
  // beside a copy of velmorac is never loaded, elevated or not.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  win32::Win32ConsoleHost host;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(win32::narrow(argv[i]));
  // A fault no caller can be told of goes to standard error, never to a box.
  win32::setFailureSink([&host](HWND, const std::string& what) { host.writeMessage(what); });

  const HRESULT com = CoInitialize(nullptr);
  int result = console_exit::kFailed;
  try {
    result = run(arguments, host);
  } catch (const std::exception& e) {
    host.writeMessage(std::string("velmorac: ") + e.what());
  } catch (...) {
    host.writeMessage("velmorac: unexpected failure");
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
