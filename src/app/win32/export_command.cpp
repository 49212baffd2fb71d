#include "app/win32/export_command.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "app/export.h"
#include "app/win32/composition.h"
#include "app/win32/workers.h"
#include "core/format.h"
#include "lang/win32/local_formats_win32.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/file_dialogs.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {
namespace {

// A menu text as a window title: no mnemonic marks, no trailing dots.
std::string asTitle(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  while (!out.empty() && out.back() == '.') out.pop_back();
  return out;
}

}  // namespace

std::optional<std::string> exportRequest(const wchar_t* commandLine) {
  if (!commandLine || !*commandLine) return std::nullopt;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(commandLine, &count);
  if (!args) return std::nullopt;
  std::optional<std::string> file;
  for (int i = 0; i + 1 < count; ++i) {
    if (lstrcmpiW(args[i], L"/export") == 0 || lstrcmpiW(args[i], L"-export") == 0) {
      file = narrow(args[i + 1]);
      break;
    }
  }
  LocalFree(args);
  return file;
}

int exportFromCommandLine(const ProgramFiles& files, const Translator& translator, const std::string& file) {
  // No log: an export changes nothing.
  const Composition root(files, translator, nullptr);
  const CsvWriter csv = exportEntries(root.families(), translator);
  return writeFileAtomically(file, csv.text()) == FileWrite::Written ? 0 : 1;
}

namespace {

// Where File > Export writes, asked through the system's Save dialog;
// nothing when the user cancelled.
std::optional<std::string> askExportFile(HWND frame, const Translator& translator) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  std::wstring name = widen(defaultExportName(now.wYear, now.wMonth, now.wDay));
  name.resize(std::max<std::size_t>(name.size() + 1, MAX_PATH * 4), L'\0');
  // "CSV (*.csv)\0*.csv\0\0": the filter's text is translated.
  std::wstring filter = widen(translator.translate("_ExportFilter")) + L'\0' + L"*.csv" + L'\0' + L'\0';
  const std::wstring title = widen(asTitle(translator.translate("_Export")));
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = frame;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = L"csv";
  // A list for the user, kept with their documents; without a folder the
  // dialog would start wherever Velmora was started from.
  const std::wstring documents = documentsFolder();
  if (!documents.empty()) dialog.lpstrInitialDir = documents.c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!showSaveDialog(dialog)) return std::nullopt;
  return narrow(name.c_str());
}

void reportExport(HWND frame, const Translator& translator, const std::string& file, std::size_t entries,
                  bool written) {
  if (written) {
    showMessage(frame, translator,
                countedText(translator, "_ExportDone", entries, {userFormats().number(entries), file}, Escapes::Convert));
  } else {
    showMessage(frame, translator, safeFormat(translator.translate("_ExportFailed", Escapes::Convert), {file}));
  }
}

}  // namespace

void exportFromMenu(HWND frame, const FamilyTable& families, const Translator& translator) {
  const std::optional<std::string> file = askExportFile(frame, translator);
  if (!file) return;
  const CsvWriter csv = exportEntries(families, translator);
  const std::size_t entries = csv.records() - 1;  // the header is no entry
  reportExport(frame, translator, *file, entries, writeFileAtomically(*file, csv.text()) == FileWrite::Written);
}

void exportInBackground(HWND frame, const ProgramFiles& files, const Translator& translator, Workers& workers,
                        const std::function<void(const std::string& file)>& started) {
  const std::optional<std::string> file = askExportFile(frame, translator);
  if (!file) return;
  if (started) started(*file);
  // The job has its own texts and its own families over adapters of its
  // own apartment: nothing it uses is the window's, which may close first.
  const auto* table = dynamic_cast<const LanguageTable*>(&translator);
  const std::string languageFile = table ? table->file() : languageTable().file();
  workers.post([ui = workers.ui(), files, languageFile, file = *file, frame, &translator] {
    LanguageTable texts(readFileBytes, decodeLegacy);
    texts.setFile(languageFile);
    const Composition root(files, texts, nullptr);
    const CsvWriter csv = exportEntries(root.families(), texts);
    const std::size_t entries = csv.records() - 1;
    const bool written = writeFileAtomically(file, csv.text()) == FileWrite::Written;
    // The translator is the window's, used only on its thread while it lives.
    ui([frame, file, entries, written, &translator] {
      if (IsWindow(frame)) reportExport(frame, translator, file, entries, written);
    });
  });
}

}  // namespace velmora::win32
