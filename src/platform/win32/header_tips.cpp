#include "platform/win32/header_tips.h"

#include <commctrl.h>

#include "platform/win32/tip_relay.h"

namespace velmora::win32 {

namespace {
constexpr UINT_PTR kSubclassId = 0x48545450;  // this class's subclass of a header
constexpr UINT_PTR kToolId = 1;
}  // namespace

HeaderTips::~HeaderTips() { detach(); }

void HeaderTips::attach(HWND list, HWND owner, std::map<int, std::wstring> tips) {
  detach();
  tips_ = std::move(tips);
  header_ = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  if (!header_) return;
  // A subclass of the header alone: it gets few messages, unlike the list.
  owner_ = owner;
  SetWindowSubclass(header_, &headerProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

bool HeaderTips::makeTipWindow() {
  // Made when the mouse first comes to the header: every pane has a header,
  // and most are never pointed at.
  if (tip_) return true;
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner_, nullptr, nullptr, nullptr);
  // Tips of a sentence or two wrap instead of crossing the screen.
  if (tip_) SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 400);
  return tip_ != nullptr;
}

void HeaderTips::detach() {
  if (header_ && IsWindow(header_)) RemoveWindowSubclass(header_, &headerProc, kSubclassId);
  if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
  header_ = tip_ = nullptr;
  column_ = -1;
}

void HeaderTips::dropTool() {
  if (column_ < 0) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = header_;
  tool.uId = kToolId;
  SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  column_ = -1;
}

void HeaderTips::followMouse(const MSG& msg) {
  if (!makeTipWindow()) return;
  if (msg.message == WM_MOUSEMOVE) {
    HDHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    const int item = static_cast<int>(SendMessageW(header_, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    // Not on a divider, where the mouse is about to size a column.
    const auto tip = (hit.flags & HHT_ONHEADER) ? tips_.find(item) : tips_.end();
    const int column = tip == tips_.end() ? -1 : item;
    if (column != column_) {
      dropTool();
      if (column >= 0) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = header_;
        tool.uId = kToolId;
        tool.lpszText = tip->second.data();
        SendMessageW(header_, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&tool.rect));
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        column_ = column;
      }
    }
  }
  SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

LRESULT CALLBACK HeaderTips::headerProc(HWND header, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  auto* tips = reinterpret_cast<HeaderTips*>(self);
  switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: {
      tips->followMouse(tipRelayMessage(header, msg, wp, lp));
      // A click starts a drag or a sort: the tip would stand over it.
      if (msg != WM_MOUSEMOVE) tips->dropTool();
      break;
    }
    case WM_MOUSELEAVE:
      tips->dropTool();
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(header, &headerProc, kSubclassId);
      tips->header_ = nullptr;
      if (tips->tip_) DestroyWindow(tips->tip_);
      tips->tip_ = nullptr;
      tips->column_ = -1;
      break;
  }
  return DefSubclassProc(header, msg, wp, lp);
}

}  // namespace velmora::win32
