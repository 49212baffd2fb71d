#pragma once
// View › Language: the language files present beside the program, each
// under its own name, the one spoken checked. The choice is kept per user
// (the Language value under HKEY_CURRENT_USER\Software\Velmora: the
// language's id, never a path) and counts from the next start, which the
// user may make at once; until the user chooses, Windows' display language
// decides (lang/language_choice.h).
#include <windows.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "lang/language_choice.h"
#include "lang/language_table.h"

namespace velmora::win32 {

// The language files beside the program: velmora.language, then
// languages\*.language in name order, each as its own keys describe it.
std::vector<LanguageFile> presentLanguages(const ProgramFiles& files);
// Windows' display language (GetUserDefaultUILanguage) as a locale name,
// "de-DE"; empty when it cannot be told.
std::string displayLanguage();
// The language file to speak at start-up.
std::string startupLanguageFile(const ProgramFiles& files);

// Fills the language pop-up of `menu` (the one that holds ID_LANGUAGE_FIRST,
// wherever it is) with the languages present beside the program, the one in
// `current` checked.
void fillLanguageMenu(HMENU menu, const std::string& current);
// One of that pop-up's items: keeps the choice and, when it is another
// language than `current`'s, asks whether to start Velmora again in it now
// (Yes ends `frame` as File › Exit does, after starting the new one).
// False for any other command.
bool chooseLanguage(HWND frame, int id, const Translator& translator, const std::string& current);

}  // namespace velmora::win32
