#include "platform/win32/colour_scheme.h"

#include <commctrl.h>

#include <string_view>

#include "platform/win32/system_function.h"

namespace velmora::win32 {

namespace {

// Windows 11 (and Windows 10 from 20H1) take 20; builds 1809 to 1909 took 19.
constexpr DWORD kImmersiveDarkMode = 20;
constexpr DWORD kImmersiveDarkModeBefore20H1 = 19;

// Whether the scheme was ever dark: until then nothing needs making light.
bool everDark = false;

// Dark or light title bar. A light one is asked for only after a dark one,
// so a light start loads nothing it does not need.
void setTitleBar(HWND window, bool dark) {
  if (!dark && !everDark) return;
  using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  static const auto setAttribute = systemFunction<SetAttributeFn>(L"dwmapi.dll", "DwmSetWindowAttribute");
  if (!setAttribute) return;
  const BOOL value = dark ? TRUE : FALSE;
  if (FAILED(setAttribute(window, kImmersiveDarkMode, &value, sizeof value))) {
    (void)setAttribute(window, kImmersiveDarkModeBefore20H1, &value, sizeof value);
  }
}

// SetWindowTheme: uxtheme is loaded with common controls 6 already.
void setTheme(HWND control, const wchar_t* app, const wchar_t* idList = nullptr) {
  using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  static const auto setWindowTheme = systemFunction<SetWindowThemeFn>(L"uxtheme.dll", "SetWindowTheme");
  if (setWindowTheme) (void)setWindowTheme(control, app, idList);
}

std::wstring_view className(HWND window, wchar_t (&buffer)[64]) {
  const int length = GetClassNameW(window, buffer, 64);
  return std::wstring_view(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool equalNoCase(std::wstring_view a, const wchar_t* b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

// Lists and trees look as in File Explorer (hover, selection, arrows);
// Windows offers a dark variant of that theme from 1809, and falls back to
// the light one where it does not.
const wchar_t* explorerTheme(const ColourScheme& scheme) { return scheme.dark() ? L"DarkMode_Explorer" : L"Explorer"; }

void themeList(HWND list, const ColourScheme& scheme) {
  setTheme(list, explorerTheme(scheme));
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
  // Light since the start, a list keeps the system's pair it was made with
  // and no painter: they cost a refresh of a long list many times over.
  if (!everDark) return;
  SendMessageW(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(scheme.windowBackground()));
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(scheme.windowBackground()));
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(scheme.windowText()));
  if (HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0))) {
    setTheme(header, scheme.dark() ? L"DarkMode_ItemsView" : nullptr);
    paintHeaderFromScheme(list);
  }
}

void themeTree(HWND tree, const ColourScheme& scheme) {
  setTheme(tree, explorerTheme(scheme));
  // Background and text are one pair: the palette's, or both the system's
  // (-1 gives the tree back the system colour).
  const auto& pair = scheme.palette().window;
  SendMessageW(tree, TVM_SETBKCOLOR, 0, pair ? static_cast<LPARAM>(colorOf(pair->background)) : -1);
  SendMessageW(tree, TVM_SETTEXTCOLOR, 0, pair ? static_cast<LPARAM>(colorOf(pair->text)) : -1);
  SendMessageW(tree, TVM_SETLINECOLOR, 0, pair ? static_cast<LPARAM>(colorOf(pair->text)) : CLR_DEFAULT);
}

void themeButton(HWND button, const ColourScheme& scheme) {
  const LONG_PTR kind = GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
  const bool pushButton = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
  if (pushButton) {
    setTheme(button, scheme.dark() ? L"DarkMode_Explorer" : nullptr);
  } else if (scheme.dark()) {
    // A themed check box, option or group box draws its text in the
    // theme's black whatever WM_CTLCOLORSTATIC says; unthemed, it takes
    // the text colour given there (and its box stays visible).
    setTheme(button, L"", L"");
  } else {
    setTheme(button, nullptr);
  }
}

void themeControl(HWND control, const ColourScheme& scheme) {
  wchar_t buffer[64];
  const std::wstring_view name = className(control, buffer);
  if (equalNoCase(name, WC_LISTVIEWW)) {
    themeList(control, scheme);
  } else if (equalNoCase(name, WC_TREEVIEWW)) {
    themeTree(control, scheme);
  } else if (equalNoCase(name, STATUSCLASSNAMEW)) {
    paintStatusBarFromScheme(control);
  } else if (!everDark) {
    // Light since the start: buttons and edit boxes keep the theme they
    // were made with, and a light start pays nothing for them.
  } else if (equalNoCase(name, WC_BUTTONW)) {
    themeButton(control, scheme);
  } else if (equalNoCase(name, WC_EDITW) || equalNoCase(name, WC_COMBOBOXW)) {
    setTheme(control, scheme.dark() ? L"DarkMode_CFD" : nullptr);
  }
}

BOOL CALLBACK themeChild(HWND child, LPARAM scheme) {
  themeControl(child, *reinterpret_cast<const ColourScheme*>(scheme));
  return TRUE;
}

BOOL CALLBACK applyToThreadWindow(HWND window, LPARAM) {
  if (IsWindowVisible(window)) applyColourScheme(window);
  return TRUE;
}

}  // namespace

void ColourScheme::set(const Palette& palette) {
  BrushHandle face(palette.face ? CreateSolidBrush(colorOf(palette.face->background)) : nullptr);
  BrushHandle window(palette.window ? CreateSolidBrush(colorOf(palette.window->background)) : nullptr);
  palette_ = palette;
  everDark = everDark || palette.dark;
  face_ = std::move(face);
  window_ = std::move(window);
}

COLORREF ColourScheme::windowBackground() const {
  return palette_.window ? colorOf(palette_.window->background) : GetSysColor(COLOR_WINDOW);
}
COLORREF ColourScheme::windowText() const {
  return palette_.window ? colorOf(palette_.window->text) : GetSysColor(COLOR_WINDOWTEXT);
}
COLORREF ColourScheme::faceBackground() const {
  return palette_.face ? colorOf(palette_.face->background) : GetSysColor(COLOR_BTNFACE);
}
COLORREF ColourScheme::faceText() const {
  return palette_.face ? colorOf(palette_.face->text) : GetSysColor(COLOR_BTNTEXT);
}

std::optional<INT_PTR> ColourScheme::controlColour(UINT msg, WPARAM wp, LPARAM lp) const {
  HDC dc = reinterpret_cast<HDC>(wp);
  const bool editable = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  // A read-only edit box asks as a static does, but holds text to select.
  bool readOnlyEdit = false;
  if (msg == WM_CTLCOLORSTATIC && lp) {
    wchar_t buffer[64];
    readOnlyEdit = equalNoCase(className(reinterpret_cast<HWND>(lp), buffer), WC_EDITW);
  }
  if (editable || readOnlyEdit) {
    if (!window_ || !palette_.window) return std::nullopt;
    SetTextColor(dc, colorOf(palette_.window->text));
    SetBkColor(dc, colorOf(palette_.window->background));
    return reinterpret_cast<INT_PTR>(window_.get());
  }
  if (msg != WM_CTLCOLORDLG && msg != WM_CTLCOLORSTATIC && msg != WM_CTLCOLORBTN) return std::nullopt;
  if (!face_ || !palette_.face) return std::nullopt;
  SetTextColor(dc, colorOf(palette_.face->text));
  SetBkColor(dc, colorOf(palette_.face->background));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(face_.get());
}

std::optional<LRESULT> ColourScheme::customDraw(const NMHDR& header) const {
  if (header.code != NM_CUSTOMDRAW || !palette_.selection) return std::nullopt;
  wchar_t buffer[64];
  const std::wstring_view name = className(header.hwndFrom, buffer);
  const bool list = equalNoCase(name, WC_LISTVIEWW);
  if (!list && !equalNoCase(name, WC_TREEVIEWW)) return std::nullopt;
  auto& draw = *reinterpret_cast<NMCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
  if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.dwDrawStage != CDDS_ITEMPREPAINT) return std::nullopt;
  // A list's item state says what the row is; its draw state may not.
  const bool selected =
      list ? SendMessageW(header.hwndFrom, LVM_GETITEMSTATE, draw.dwItemSpec, LVIS_SELECTED) & LVIS_SELECTED
           : (draw.uItemState & CDIS_SELECTED) != 0;
  if (!selected) return CDRF_DODEFAULT;
  const COLORREF back = colorOf(palette_.selection->background);
  const COLORREF text = colorOf(palette_.selection->text);
  if (list) {
    auto& row = reinterpret_cast<NMLVCUSTOMDRAW&>(draw);
    row.clrText = text;
    row.clrTextBk = back;
  } else {
    auto& node = reinterpret_cast<NMTVCUSTOMDRAW&>(draw);
    node.clrText = text;
    node.clrTextBk = back;
  }
  // Drawn as a normal row in the colours given, not in the system's highlight.
  draw.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
  return CDRF_NEWFONT;
}

ColourScheme& colourScheme() {
  static ColourScheme scheme;
  return scheme;
}

void applyColourScheme(HWND window) {
  if (!window) return;
  const ColourScheme& scheme = colourScheme();
  if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) setTitleBar(window, scheme.dark());
  EnumChildWindows(window, themeChild, reinterpret_cast<LPARAM>(&scheme));
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void applyColourSchemeToThreadWindows() { EnumThreadWindows(GetCurrentThreadId(), applyToThreadWindow, 0); }

}  // namespace velmora::win32
