#include "app/win32/language_menu.h"

#include <shellapi.h>

#include <algorithm>

#include "app/single_instance.h"
#include "app/win32/user_settings_win32.h"
#include "core/format.h"
#include "core/text.h"
#include "lang/win32/translate_win32.h"
#include "main_frame_res.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

constexpr const wchar_t* kLanguageValue = L"Language";

LanguageFile described(const std::string& path) {
  const std::optional<std::string> bytes = readFileBytes(path);
  return describeLanguageFile(path, bytes ? decodeProfileText(*bytes, decodeLegacy) : std::string());
}

// The languages the menu offers, as it offers them.
std::vector<LanguageFile> offered() { return offeredLanguages(presentLanguages(programFiles())); }

// The pop-up of `menu` at any depth that holds the item `id`.
HMENU popupHolding(HMENU menu, UINT id) {
  const int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) {
    if (GetMenuItemID(menu, pos) == id) return menu;
    if (HMENU sub = GetSubMenu(menu, pos)) {
      if (HMENU found = popupHolding(sub, id)) return found;
    }
  }
  return nullptr;
}

// Starts this program again, told to wait for this one to close.
bool startAgain() {
  const std::wstring program = widen(programPath());
  const std::wstring parameters = widen(std::string(kRestartArgument));
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

}  // namespace

std::vector<LanguageFile> presentLanguages(const ProgramFiles& files) {
  std::vector<LanguageFile> present;
  if (fileExists(files.languageFile())) present.push_back(described(files.languageFile()));
  std::vector<std::string> more;
  WIN32_FIND_DATAW data;
  const std::string folder = files.directory + "\\languages";
  FindHandle find(FindFirstFileExW(widen(folder + "\\*.language").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, 0));
  if (find) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) more.push_back(folder + "\\" + narrow(data.cFileName));
    } while (FindNextFileW(find.get(), &data));
  }
  std::sort(more.begin(), more.end(), [](const std::string& a, const std::string& b) {
    return foldedIgnoreCase(a) < foldedIgnoreCase(b);
  });
  for (const std::string& path : more) present.push_back(described(path));
  return present;
}

std::string displayLanguage() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  return LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) > 0 ? narrow(name) : std::string();
}

std::string startupLanguageFile(const ProgramFiles& files) {
  const std::vector<LanguageFile> languages = offeredLanguages(presentLanguages(files));
  // No file at all: the program shows its keys, as it always did.
  if (languages.empty()) return files.languageFile();
  return chosenLanguage(languages, readText(kLanguageValue), displayLanguage()).path;
}

void fillLanguageMenu(HMENU menu, const std::string& current) {
  HMENU popup = popupHolding(menu, ID_LANGUAGE_FIRST);
  if (!popup) return;
  while (GetMenuItemCount(popup) > 0) DeleteMenu(popup, 0, MF_BYPOSITION);
  const std::vector<LanguageFile> languages = offered();
  for (std::size_t i = 0; i < languages.size() && ID_LANGUAGE_FIRST + i <= ID_LANGUAGE_LAST; ++i) {
    const UINT id = static_cast<UINT>(ID_LANGUAGE_FIRST + i);
    AppendMenuW(popup, MF_STRING, id, widen(languages[i].name).c_str());
    if (equalsIgnoreCase(languages[i].path, current)) {
      CheckMenuRadioItem(popup, ID_LANGUAGE_FIRST, ID_LANGUAGE_LAST, id, MF_BYCOMMAND);
    }
  }
}

bool chooseLanguage(HWND frame, int id, const Translator& translator, const std::string& current) {
  if (id < ID_LANGUAGE_FIRST || id > ID_LANGUAGE_LAST) return false;
  const std::vector<LanguageFile> languages = offered();
  const auto index = static_cast<std::size_t>(id - ID_LANGUAGE_FIRST);
  if (index >= languages.size()) return true;
  const LanguageFile& chosen = languages[index];
  if (!writeText(kLanguageValue, chosen.id)) {
    showMessage(frame, translator, translator.translate("_LanguageNotKept", Escapes::Convert));
    return true;
  }
  if (HMENU popup = popupHolding(GetMenu(frame), ID_LANGUAGE_FIRST)) {
    CheckMenuRadioItem(popup, ID_LANGUAGE_FIRST, ID_LANGUAGE_LAST, static_cast<UINT>(id), MF_BYCOMMAND);
  }
  if (equalsIgnoreCase(chosen.path, current)) return true;
  const std::string question =
      safeFormat(translator.translate("_LanguageRestart", Escapes::Convert), {withoutMnemonic(chosen.name)});
  if (!askWarning(frame, translator, question)) return true;
  // The new one waits for this one to close, which keeps everything as File
  // › Exit does.
  if (startAgain()) {
    PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT_CMD, 0), 0);
  } else {
    showMessage(frame, translator, translator.translate("_LanguageRestartFailed", Escapes::Convert));
  }
  return true;
}

}  // namespace velmora::win32
