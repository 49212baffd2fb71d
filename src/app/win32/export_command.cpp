#include "app/win32/export_command.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "app/export.h"
#include "app/win32/composition.h"
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

void exportFromMenu(HWND frame, const FamilyTable& families, const Translator& translator) {
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
  if (!showSaveDialog(dialog)) return;
  const std::string file = narrow(name.c_str());

  const CsvWriter csv = exportEntries(families, translator);
  const std::size_t entries = csv.records() - 1;  // the header is no entry
  if (writeFileAtomically(file, csv.text()) == FileWrite::Written) {
    showMessage(frame, translator,
                countedText(translator, "_ExportDone", entries, {userFormats().number(entries), file}, Escapes::Convert));
  } else {
    showMessage(frame, translator, safeFormat(translator.translate("_ExportFailed", Escapes::Convert), {file}));
  }
}

}  // namespace velmora::win32
