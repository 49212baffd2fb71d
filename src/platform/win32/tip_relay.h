#pragma once
// A mouse message as a tip window is to be given it (TTM_RELAYEVENT) by a
// control that keeps its tip's tools itself: with the time and the screen
// position of the message being handled.
#include <windows.h>

namespace velmora::win32 {

inline MSG tipRelayMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  const DWORD at = GetMessagePos();
  return MSG{window, msg, wp, lp, static_cast<DWORD>(GetMessageTime()),
             {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))}};
}

}  // namespace velmora::win32
