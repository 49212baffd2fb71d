#pragma once
// Translation of windows, dialogs and menus, and the message-box convention.
#include <windows.h>

#include <initializer_list>
#include <string>

#include "lang/language_table.h"

namespace velmora::win32 {

// The process-wide table; start-up points it at the language file.
LanguageTable& languageTable();

// A window's text is taken as a key; a non-empty translation (escapes
// converted) replaces it.
void translateWindowText(HWND window, const Translator& translator);
// The window and every window below it.
void translateDialog(HWND window, const Translator& translator);
// Every item of a menu, pop-ups first, at any depth; separators are left alone.
void translateMenu(HMENU menu, const Translator& translator);

// Information message (0x40) with the translated _ToolVelmora caption.
void showMessage(HWND owner, const Translator& translator, const std::string& text);
// A yes/no question with the warning icon and No the default (0x134), asked
// before a change that can lose something or do harm; true only on Yes.
// Every question Velmora asks is of this kind: its answers say what they
// do, where OK and Cancel would not.
bool askWarning(HWND owner, const Translator& translator, const std::string& text);

std::wstring windowText(HWND window);

// A column by the language key of its title and its share of the list's width.
struct ColumnKey {
  const char* key;
  int share;
};
// A read-only list of records (the log viewer, the change history): whole
// rows selected, grid lines, a cut cell's whole text as a tip, and the
// translated columns dividing the list's width.
void setUpRecordList(HWND list, const Translator& translator, std::initializer_list<ColumnKey> columns);

}  // namespace velmora::win32
