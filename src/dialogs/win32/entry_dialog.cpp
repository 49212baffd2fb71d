#include "dialogs/win32/entry_dialog.h"

#include <commdlg.h>

#include <vector>

#include "lang/win32/translate_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"

namespace velmora::win32 {

namespace {

// Name and path are read up to 259 characters, as a MAX_PATH buffer holds.
constexpr std::size_t kFieldLimit = 259;

int templateOf(EntryDialogKind kind) {
  switch (kind) {
    case EntryDialogKind::Add: return IDD_ADDENTRY;
    case EntryDialogKind::Modify: return IDD_MODIFYENTRY;
    case EntryDialogKind::Property: return IDD_PROPERTYENTRY;
  }
  return IDD_PROPERTYENTRY;
}

RECT workAreaOf(const RECT* reference) {
  RECT area{};
  if (reference) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromRect(reference, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
  }
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

// Centres the dialog over its parent's client area (child dialogs), its
// owner (when that is visible and not minimised) or the work area, and keeps
// it inside the work area. Size and z-order stay as they are.
void centre(HWND dlg) {
  RECT self{};
  GetWindowRect(dlg, &self);
  const LONG width = self.right - self.left;
  const LONG height = self.bottom - self.top;

  RECT ref{};
  bool haveRef = false;
  HWND parent = GetParent(dlg);
  const bool child = (GetWindowLongW(dlg, GWL_STYLE) & WS_CHILD) != 0;
  if (child && parent) {
    GetClientRect(parent, &ref);
    MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT*>(&ref), 2);
    haveRef = true;
  } else if (HWND owner = GetWindow(dlg, GW_OWNER); owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &ref);
    haveRef = true;
  }
  // The work area of the monitor the reference lies on: on a second screen
  // the dialog stays beside its owner.
  const RECT area = workAreaOf(haveRef ? &ref : nullptr);
  if (!haveRef) ref = area;

  LONG left = (ref.left + ref.right) / 2 - width / 2;
  LONG top = (ref.top + ref.bottom) / 2 - height / 2;
  if (left < area.left) {
    left = area.left;
  } else if (left + width > area.right) {
    left = area.right - width;
  }
  if (top < area.top) {
    top = area.top;
  } else if (top + height > area.bottom) {
    top = area.bottom - height;
  }

  POINT at{left, top};
  if (child && parent) ScreenToClient(parent, &at);
  SetWindowPos(dlg, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// At most kFieldLimit UTF-16 units, never half of a surrogate pair.
std::wstring cut(std::wstring text) {
  if (text.size() <= kFieldLimit) return text;
  std::size_t n = kFieldLimit;
  if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  text.resize(n);
  return text;
}

class EntryDialog {
 public:
  EntryDialog(EntryDialogKind kind, EntryDialogData& data, const Translator& translator)
      : kind_(kind), data_(data), translator_(translator) {}

  bool run(HWND owner) {
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateOf(kind_)), owner,
                                           &EntryDialog::proc, reinterpret_cast<LPARAM>(this));
    return result == IDOK && kind_ != EntryDialogKind::Property;
  }

 private:
  static INT_PTR CALLBACK proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrW(dlg, DWLP_USER, lp);
    auto* self = reinterpret_cast<EntryDialog*>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (!self) return FALSE;
    try {
      return self->handle(dlg, msg, wp);
    } catch (...) {
      // Nothing may unwind through the dialog manager; leave with Cancel.
      EndDialog(dlg, IDCANCEL);
      return TRUE;
    }
  }

  INT_PTR handle(HWND dlg, UINT msg, WPARAM wp) {
    switch (msg) {
      case WM_INITDIALOG: return init(dlg);
      case WM_CLOSE:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      case WM_COMMAND:
        switch (LOWORD(wp)) {
          case IDOK:
            if (kind_ == EntryDialogKind::Property) {
              EndDialog(dlg, IDCANCEL);
            } else {
              accept(dlg);
            }
            return TRUE;
          case IDCANCEL:
            EndDialog(dlg, IDCANCEL);
            return TRUE;
          case IDC_ENTRY_BROWSE:
            if (kind_ != EntryDialogKind::Property) browse(dlg);
            return TRUE;
        }
        break;
    }
    return FALSE;
  }

  INT_PTR init(HWND dlg) {
    centre(dlg);
    translateDialog(dlg, translator_);
    // The entry's own texts go in after the translation: they are not keys.
    SetDlgItemTextW(dlg, IDC_ENTRY_TYPE, widen(data_.typeText).c_str());
    SetDlgItemTextW(dlg, IDC_ENTRY_SECTION, widen(data_.sectionText).c_str());
    initialName_ = widen(data_.name);
    initialPath_ = widen(data_.path);
    SetDlgItemTextW(dlg, IDC_ENTRY_NAME, initialName_.c_str());
    SetDlgItemTextW(dlg, IDC_ENTRY_PATH, initialPath_.c_str());
    if (kind_ == EntryDialogKind::Property) return TRUE;
    SetFocus(GetDlgItem(dlg, IDC_ENTRY_NAME));
    return FALSE;  // focus set here
  }

  // A field the user left as it was keeps the caller's whole text, so that
  // changing only the name of an entry with a long command line does not
  // cut the command line.
  std::string field(HWND dlg, int id, const std::wstring& initial) const {
    const std::wstring text = windowText(GetDlgItem(dlg, id));
    return narrow(text == initial ? text : cut(text));
  }

  void accept(HWND dlg) {
    const std::string name = field(dlg, IDC_ENTRY_NAME, initialName_);
    const std::string path = field(dlg, IDC_ENTRY_PATH, initialPath_);
    if (name.empty()) {
      showMessage(dlg, translator_, translator_.translate("_ApplicationNameInvalid", true));
      SetFocus(GetDlgItem(dlg, IDC_ENTRY_NAME));
      return;
    }
    if (path.empty()) {
      showMessage(dlg, translator_, translator_.translate("_ApplicationPathInvalid", true));
      SetFocus(GetDlgItem(dlg, IDC_ENTRY_PATH));
      return;
    }
    data_.name = name;
    data_.path = path;
    EndDialog(dlg, IDOK);
  }

  // The system's open-file dialog; a chosen file's full path replaces the
  // path field, and nothing else changes.
  void browse(HWND dlg) {
    static const wchar_t kFilter[] = L"Applications (*.exe)\0*.exe\0All Files (*.*)\0*.*\0";
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dlg;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (GetOpenFileNameW(&ofn)) SetDlgItemTextW(dlg, IDC_ENTRY_PATH, file.data());
  }

  EntryDialogKind kind_;
  EntryDialogData& data_;
  const Translator& translator_;
  std::wstring initialName_;
  std::wstring initialPath_;
};

}  // namespace

bool runEntryDialog(HWND owner, EntryDialogKind kind, EntryDialogData& data, const Translator& translator) {
  EntryDialog dialog(kind, data, translator);
  return dialog.run(owner);
}

}  // namespace velmora::win32
