#include "app/win32/admin_menu.h"

#include <shellapi.h>
#include <wtsapi32.h>

#include <vector>

#include "app/win32/admin_restart_win32.h"
#include "core/format.h"
#include "core/text.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/system_function.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

// The shield as a menu wants a picture: 32 bits a pixel with the colours
// multiplied by their alpha. Kept for the life of the process (menus do not
// own their bitmaps).
HBITMAP shieldBitmap() {
  static const HBITMAP made = [] () -> HBITMAP {
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    if (FAILED(SHGetStockIconInfo(SIID_SHIELD, SHGSI_ICON | SHGSI_SMALLICON, &info)) || !info.hIcon) return nullptr;
    const IconHandle icon(info.hIcon);
    ICONINFO parts{};
    if (!GetIconInfo(icon.get(), &parts)) return nullptr;
    const BitmapHandle colour(parts.hbmColor), mask(parts.hbmMask);
    BITMAP size{};
    if (!colour || !GetObjectW(colour.get(), sizeof size, &size)) return nullptr;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size.bmWidth;
    format.bmiHeader.biHeight = -size.bmHeight;  // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(size.bmWidth) * static_cast<std::size_t>(size.bmHeight));
    std::vector<DWORD> masked(pixels.size());
    const WindowDc screen(nullptr);
    if (!GetDIBits(screen.get(), colour.get(), 0, size.bmHeight, pixels.data(), &format, DIB_RGB_COLORS)) return nullptr;
    const bool hasMask = GetDIBits(screen.get(), mask.get(), 0, size.bmHeight, masked.data(), &format, DIB_RGB_COLORS);
    bool anyAlpha = false;
    for (const DWORD p : pixels) anyAlpha = anyAlpha || (p >> 24) != 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      // An icon without alpha is opaque where its mask is black.
      const DWORD alpha = anyAlpha ? pixels[i] >> 24 : (hasMask && (masked[i] & 0xFFFFFF) ? 0 : 255);
      const auto scaled = [alpha](DWORD c) { return c * alpha / 255; };
      pixels[i] = (alpha << 24) | (scaled((pixels[i] >> 16) & 0xFF) << 16) | (scaled((pixels[i] >> 8) & 0xFF) << 8) |
                  scaled(pixels[i] & 0xFF);
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) CopyMemory(bits, pixels.data(), pixels.size() * sizeof(DWORD));
    return bitmap;
  }();
  return made;
}

}  // namespace

void prepareRestartItem(HMENU menu, UINT id) {
  if (!menu) return;
  if (runsElevated()) {
    // The item and the separator after it.
    HMENU file = GetSubMenu(menu, 0);
    for (int i = 0; file && i < GetMenuItemCount(file); ++i) {
      if (GetMenuItemID(file, i) != id) continue;
      DeleteMenu(file, static_cast<UINT>(i), MF_BYPOSITION);
      if (i < GetMenuItemCount(file) && (GetMenuState(file, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR)) {
        DeleteMenu(file, static_cast<UINT>(i), MF_BYPOSITION);
      }
      break;
    }
    return;
  }
  if (HBITMAP shield = shieldBitmap()) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    item.hbmpItem = shield;
    SetMenuItemInfoW(menu, id, FALSE, &item);
  }
}

void restartFromMenu(HWND frame, const Translator& translator, UINT exitCommand) {
  switch (restartAsAdministrator(frame, &translator)) {
    case RestartOutcome::Started:
      // Closed as File > Exit closes it, settings kept; the new instance
      // waits for this one to give up the one-instance lock.
      PostMessageW(frame, WM_COMMAND, MAKEWPARAM(exitCommand, 0), 0);
      return;
    case RestartOutcome::Failed: showMessage(frame, translator, translator.translate("_AdminRestartFailed", Escapes::Convert)); return;
    case RestartOutcome::Declined: return;
  }
}

namespace {

// The account logged on to this session ("DOMAIN\name"); empty when not known.
std::string sessionAccount() {
  using Query = BOOL(WINAPI*)(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR*, DWORD*);
  using Free = void(WINAPI*)(PVOID);
  static const auto query = systemFunction<Query>(L"wtsapi32.dll", "WTSQuerySessionInformationW");
  static const auto release = systemFunction<Free>(L"wtsapi32.dll", "WTSFreeMemory");
  if (!query || !release) return {};
  const auto ask = [&](WTS_INFO_CLASS what) {
    LPWSTR text = nullptr;
    DWORD bytes = 0;
    if (!query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, what, &text, &bytes) || !text) return std::wstring();
    std::wstring out = text;
    release(text);
    return out;
  };
  const std::wstring name = ask(WTSUserName), domain = ask(WTSDomainName);
  if (name.empty()) return {};
  return narrow(domain.empty() ? name : domain + L"\\" + name);
}

}  // namespace

std::string titleWithAccount(const std::string& title, const Translator& translator) {
  if (!runsElevated()) return title;
  const std::vector<std::string> names = currentAccountNames();
  if (names.size() < 2) return title;
  // Only when it is not the account logged on to the session: a standard
  // user typed an administrator's name and password.
  const std::string session = sessionAccount();
  if (session.empty() || equalsIgnoreCase(session, names[1]) || equalsIgnoreCase(session, names.back())) return title;
  return safeFormat(translator.translate("_TitleAccount"), {title, names[1]});
}

}  // namespace velmora::win32
