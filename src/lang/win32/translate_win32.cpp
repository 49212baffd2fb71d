#include "lang/win32/translate_win32.h"

#include <commctrl.h>

#include <vector>

#include "core/text.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/list_view.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

LanguageTable& languageTable() {
  static LanguageTable table(readFileBytes, decodeLegacy);
  return table;
}

std::wstring windowText(HWND window) {
  const int len = GetWindowTextLengthW(window);
  if (len <= 0) return {};
  std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), len + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

void translateWindowText(HWND window, const Translator& translator) {
  const std::wstring text = windowText(window);
  if (text.empty()) return;
  const std::string translated = unescape(translator.translate(narrow(text)));
  if (!translated.empty()) SetWindowTextW(window, widen(translated).c_str());
}

namespace {
BOOL CALLBACK translateChild(HWND child, LPARAM param) {
  const auto* translator = reinterpret_cast<const Translator*>(param);
  try {
    if (translator) translateWindowText(child, *translator);
  } catch (...) {
    // A window that cannot be translated keeps its text; no exception
    // may unwind through the system's enumeration.
  }
  return TRUE;
}
}  // namespace

void translateDialog(HWND window, const Translator& translator) {
  translateWindowText(window, translator);
  // A title has no mnemonic: "&Properties" of the menu is "Properties" there.
  const std::wstring title = windowText(window);
  if (title.find(L'&') != std::wstring::npos) SetWindowTextW(window, widen(withoutMnemonic(narrow(title))).c_str());
  EnumChildWindows(window, translateChild, reinterpret_cast<LPARAM>(&translator));
}

void translateMenu(HMENU menu, const Translator& translator) {
  if (!IsMenu(menu)) return;
  const int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) {
    if (HMENU sub = GetSubMenu(menu, pos)) translateMenu(sub, translator);
    const int len = GetMenuStringW(menu, static_cast<UINT>(pos), nullptr, 0, MF_BYPOSITION);
    if (len <= 0) continue;  // separators and empty items
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    GetMenuStringW(menu, static_cast<UINT>(pos), text.data(), len + 1, MF_BYPOSITION);
    text.resize(static_cast<std::size_t>(len));
    // "_Refresh\tF5": the key, then the item's key as a user reads it,
    // itself a language key when it starts with an underscore ("_KeyDelete").
    std::wstring keys;
    if (const std::size_t tab = text.find(L'\t'); tab != std::wstring::npos) {
      keys = text.substr(tab + 1);
      text.resize(tab);
      if (!keys.empty() && keys.front() == L'_') {
        const std::string named = translator.translate(narrow(keys));
        if (!named.empty()) keys = widen(named);
      }
      keys.insert(0, 1, L'\t');
    }
    std::wstring translated = widen(translator.translate(narrow(text)));
    if (translated.empty()) continue;
    translated += keys;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(translated.c_str());
    info.cch = static_cast<UINT>(translated.size() + 1);
    SetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info);
  }
}

void showMessage(HWND owner, const Translator& translator, const std::string& text) {
  MessageBoxW(owner, widen(text).c_str(), widen(translator.translate("_ToolVelmora")).c_str(),
              MB_OK | MB_ICONINFORMATION);
}

bool askWarning(HWND owner, const Translator& translator, const std::string& text) {
  return MessageBoxW(owner, widen(text).c_str(), widen(translator.translate("_ToolVelmora")).c_str(),
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void setUpRecordList(HWND list, const Translator& translator, std::initializer_list<ColumnKey> columns) {
  constexpr DWORD kStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_LABELTIP;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kStyle, kStyle);
  std::vector<ListColumn> shares;
  for (const ColumnKey& c : columns) shares.push_back({translator.translate(c.key), c.share});
  addSharedColumns(list, shares);
}

}  // namespace velmora::win32
