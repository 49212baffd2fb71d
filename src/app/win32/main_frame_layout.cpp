// The main window's layout: where its children go, and what a new DPI does
// to their fonts, sizes and images.
#include <algorithm>

#include "app/win32/main_frame.h"

#include "app/stored_layout.h"
#include "app/win32/tree_images.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "main_frame_res.h"

namespace velmora::win32 {

namespace {
// Gaps around the filter box, in pixels at 96 DPI.
constexpr int kFilterGap = 4;
// A check box's box, at 96 DPI.
constexpr int kCheckGlyph = 13;

// What a check box needs to show its translated text whole: the box, a gap
// and the text in its font.
int checkBoxWidth(HWND box, int dpi) {
  const WindowDc dc(box);
  const SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
  wchar_t text[256] = {};
  GetWindowTextW(box, text, 256);
  RECT needed{};
  DrawTextW(dc.get(), text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
  return needed.right - needed.left + scaleToDpi(kCheckGlyph + 3 * kFilterGap, dpi);
}
}  // namespace

// The images of the window's DPI. The tree lets go of the old list before
// it is destroyed.
void MainFrame::setTreeImages() {
  ImageListHandle images = makeTreeImages(instance_, scaleToDpi(kTreeImageSize, dpi_));
  TreeView_SetImageList(tree_, images.get(), TVSIL_NORMAL);
  images_ = std::move(images);
}

HFONT MainFrame::dialogFont() const {
  return font_ ? font_.get() : reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
}

void MainFrame::changeDpi(int dpi, const RECT& suggested) {
  if (dpi > 0 && dpi != dpi_) {
    const int from = dpi_;
    dpi_ = dpi;
    // Every font is made from the one the control had when the window
    // opened, so moving back and forth never drifts. The new fonts go to the
    // controls before the old ones are deleted.
    const auto fontFor = [this, dpi](HFONT original) { return rescaledFont(original, openedDpi_, dpi); };
    FontHandle font = fontFor(reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
    for (int id : {IDC_FILTERLABEL, IDC_FILTER, IDC_SHOWNEW, IDC_NOTSTARTING, IDC_HIDEWINDOWS}) {
      if (HWND control = item(id)) rescaleChild(control, from, dpi, font.get());
    }
    if (status_) {
      FontHandle statusFont = fontFor(openedStatusFont_);
      if (statusFont) SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(statusFont.get()), FALSE);
      statusFont_ = std::move(statusFont);
    }
    if (tree_) {
      FontHandle treeFont = fontFor(openedTreeFont_);
      if (treeFont) SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(treeFont.get()), FALSE);
      treeFont_ = std::move(treeFont);
      setTreeImages();
    }
    splitter_.setBarWidth(scaleToDpi(Splitter::kBarWidth, dpi));
    splitter_.setNarrowest(scaleToDpi(kNarrowestTree, dpi), scaleToDpi(kNarrowestList, dpi));
    splitter_.setPosition(rescale(splitter_.position(), from, dpi));
    // Without a new font (it could not be made) the panes still get their sizes.
    const HFONT paneFont = font ? font.get() : dialogFont();
    for (int index = 0; index < host_.count(); ++index) {
      if (host_.pane(index)) pane(index).changeDpi(dpi, paneFont);
    }
    if (font) font_ = std::move(font);
  }
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // Sized or not, the children follow the new fonts and widths.
  RECT client{};
  GetClientRect(hwnd(), &client);
  layout(client.right, client.bottom);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void MainFrame::fitStatusParts(int width) {
  // The counts in the first part, the rest for what the last change did.
  // The first is a third of the bar, or as wide as its text needs (All
  // Entries adds what it could not read), leaving the other a quarter.
  int first = width / 3;
  wchar_t text[512] = {};
  SendMessageW(status_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  if (HDC dc = GetDC(status_)) {
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(status_, WM_GETFONT, 0, 0)));
    SIZE size{};
    if (GetTextExtentPoint32W(dc, text, lstrlenW(text), &size)) {
      first = std::max(first, std::min(static_cast<int>(size.cx) + scaleToDpi(kStatusTextMargin, dpi_), width * 3 / 4));
    }
    SelectObject(dc, old);
    ReleaseDC(status_, dc);
  }
  const int parts[] = {std::max(0, first), -1};
  SendMessageW(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void MainFrame::layout(int width, int height) {
  int statusHeight = 0;
  if (status_) {
    SendMessageW(status_, WM_SIZE, 0, 0);
    RECT r{};
    GetWindowRect(status_, &r);
    statusHeight = r.bottom - r.top;
    fitStatusParts(width);
  }
  int top = 0;
  HWND label = item(IDC_FILTERLABEL);
  HWND box = item(IDC_FILTER);
  if (label && box) {
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    const int boxHeight = boxRect.bottom - boxRect.top;
    RECT labelRect{};
    GetWindowRect(label, &labelRect);
    const int labelWidth = labelRect.right - labelRect.left;
    const int labelHeight = labelRect.bottom - labelRect.top;
    const int gap = scaleToDpi(kFilterGap, dpi_);
    const int boxLeft = gap + labelWidth + gap;
    SetWindowPos(label, nullptr, gap, gap + (boxHeight - labelHeight) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The check boxes keep their whole texts at the right, in template
    // order; the filter box takes what is left.
    int boxRight = width - gap;
    for (int id : {IDC_HIDEWINDOWS, IDC_NOTSTARTING, IDC_SHOWNEW}) {
      HWND check = item(id);
      if (!check) continue;
      const int checkWidth = checkBoxWidth(check, dpi_);
      boxRight = std::max(boxLeft, boxRight - checkWidth - gap);
      SetWindowPos(check, nullptr, boxRight + gap, gap, checkWidth, boxHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(box, nullptr, boxLeft, gap, std::max(0, boxRight - boxLeft), boxHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    top = gap + boxHeight + gap;
  }
  if (splitter_.hwnd()) {
    SetWindowPos(splitter_.hwnd(), nullptr, 0, top, width, std::max(0, height - top - statusHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace velmora::win32
