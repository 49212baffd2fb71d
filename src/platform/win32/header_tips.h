#pragma once
// Tips on a list's column headers: the text given for a column shows when
// the mouse rests on its header, wherever the user dragged or sized it.
#include <windows.h>

#include <map>
#include <string>

namespace velmora::win32 {

class HeaderTips {
 public:
  HeaderTips() = default;
  ~HeaderTips();
  HeaderTips(const HeaderTips&) = delete;
  HeaderTips& operator=(const HeaderTips&) = delete;

  // Watches `list`'s header and makes the tip window, owned by `owner`;
  // `tips` are the texts by column (the header's item index).
  void attach(HWND list, HWND owner, std::map<int, std::wstring> tips);
  // Made when the mouse first comes to the header; null before.
  HWND tipWindow() const { return tip_; }
  // The column whose tip is up or waiting for the mouse to rest; -1: none.
  [[nodiscard]] int column() const { return column_; }

 private:
  static LRESULT CALLBACK headerProc(HWND header, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  // One tool at a time, over the header item under the mouse: a header's
  // items move and change width, so a tool is laid over the item found
  // when the mouse comes to it.
  void followMouse(const MSG& msg);
  void dropTool();
  void detach();
  [[nodiscard]] bool makeTipWindow();

  HWND header_ = nullptr;
  HWND owner_ = nullptr;
  HWND tip_ = nullptr;
  std::map<int, std::wstring> tips_;
  int column_ = -1;
};

}  // namespace velmora::win32
