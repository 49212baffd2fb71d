#include "dialogs/win32/entry_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include <vector>

#include "family/entry_fields.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/dialog.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/file_dialogs.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/placement.h"
#include "platform/win32/wide.h"
#include "entry_dialog_res.h"

namespace velmora::win32 {

namespace {

// Name and path are read up to 259 characters, as a MAX_PATH buffer holds.
constexpr std::size_t kFieldLimit = 259;
// The longest path the open-file dialog can hand back, in UTF-16 units.
constexpr std::size_t kBrowseBufferUnits = 32768;

int templateOf(EntryDialogKind kind) {
  switch (kind) {
    case EntryDialogKind::Add: return IDD_ADDENTRY;
    case EntryDialogKind::Modify: return IDD_MODIFYENTRY;
    case EntryDialogKind::Property: return IDD_PROPERTYENTRY;
  }
  return IDD_PROPERTYENTRY;
}

// At most kFieldLimit UTF-16 units, never half of a surrogate pair.
std::wstring cut(std::wstring text) {
  if (text.size() <= kFieldLimit) return text;
  std::size_t n = kFieldLimit;
  if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  text.resize(n);
  return text;
}

// The folder with its environment variables expanded, or "" when there is
// no such folder.
std::wstring existingFolder(const std::string& folder) {
  if (folder.empty()) return {};
  const std::wstring raw = widen(folder);
  const DWORD units = ExpandEnvironmentStringsW(raw.c_str(), nullptr, 0);
  if (units == 0) return {};
  std::wstring expanded(units, L'\0');
  if (ExpandEnvironmentStringsW(raw.c_str(), expanded.data(), units) == 0) return {};
  expanded.resize(units - 1);
  const DWORD attributes = GetFileAttributesW(expanded.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return expanded;
}

class EntryDialog final : public Dialog {
 public:
  EntryDialog(EntryDialogKind kind, EntryDialogData& data, const Translator& translator)
      : Dialog(templateOf(kind)), kind_(kind), data_(data), translator_(translator) {}

 private:
  [[nodiscard]] bool onInit() override {
    centreWindow(hwnd());
    translateDialog(hwnd(), translator_);
    // The entry's own texts go in after the translation: they are not keys.
    setItemText(IDC_ENTRY_TYPE, data_.typeText);
    setItemText(IDC_ENTRY_SECTION, data_.sectionText);
    initialName_ = widen(data_.name);
    initialPath_ = widen(data_.path);
    SetDlgItemTextW(hwnd(), IDC_ENTRY_NAME, initialName_.c_str());
    SetDlgItemTextW(hwnd(), IDC_ENTRY_PATH, initialPath_.c_str());
    if (HWND note = item(IDC_ENTRY_NOTE)) {
      SetWindowTextW(note, widen(data_.note).c_str());
      ShowWindow(note, data_.note.empty() ? SW_HIDE : SW_SHOW);
    }
    showPlaces();
    if (kind_ == EntryDialogKind::Property) return true;
    SetFocus(item(IDC_ENTRY_NAME));
    return false;  // focus set here
  }

  [[nodiscard]] bool onCommand(int id, int code, HWND control) override {
    if (id == IDC_ENTRY_BROWSE) {
      if (kind_ != EntryDialogKind::Property) browse();
      return true;
    }
    if (id == IDC_ENTRY_PLACE) {
      // The type line and the tip follow the place: a pane of several families.
      if (code == CBN_SELCHANGE && hasPlaces()) {
        setItemText(IDC_ENTRY_TYPE, data_.places[chosenPlace()].typeText);
        showPlaceTip();
      }
      return true;
    }
    return Dialog::onCommand(id, code, control);
  }

  // The Property dialog changes nothing: its only button closes it.
  void onOk() override {
    if (kind_ == EntryDialogKind::Property) {
      end(IDCANCEL);
    } else {
      accept();
    }
  }

  // A field the user left as it was keeps the caller's whole text, so that
  // changing only the name of an entry with a long command line does not
  // cut the command line.
  [[nodiscard]] std::string field(int id, const std::wstring& initial) const {
    const std::wstring text = windowText(item(id));
    return narrow(text == initial ? text : cut(text));
  }

  // Says what is wrong and leaves the dialog open with everything typed,
  // the faulty field focused and its text selected for retyping.
  void refuse(EntryField which, const std::string& message) {
    showMessage(hwnd(), translator_, message);
    HWND field = item(which == EntryField::Name ? IDC_ENTRY_NAME : IDC_ENTRY_PATH);
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
  }

  void accept() {
    const std::string name = field(IDC_ENTRY_NAME, initialName_);
    const std::string path = field(IDC_ENTRY_PATH, initialPath_);
    if (name.empty()) {
      refuse(EntryField::Name, translator_.translate("_ApplicationNameInvalid", Escapes::Convert));
      return;
    }
    if (path.empty()) {
      refuse(EntryField::Path, translator_.translate("_ApplicationPathInvalid", Escapes::Convert));
      return;
    }
    if (hasPlaces()) data_.place = chosenPlace();
    if (const EntryCheck& check = checkOf(data_)) {
      if (const auto problem = check(name, path)) {
        refuse(problem->field, problem->message);
        return;
      }
    }
    data_.name = name;
    data_.path = path;
    end(IDOK);
  }

  // The system's open-file dialog, in the folder of the current command, or
  // in Program Files when there is none (never the folder Velmora runs
  // from); a chosen file's full path (quoted when it has a blank) replaces
  // the command, and nothing else changes.
  void browse() {
    static const wchar_t kFilter[] = L"Applications (*.exe)\0*.exe\0All Files (*.*)\0*.*\0";
    std::vector<wchar_t> file(kBrowseBufferUnits, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd();
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    std::wstring folder = existingFolder(commandFolder(narrow(windowText(item(IDC_ENTRY_PATH)))));
    if (folder.empty()) folder = programFilesFolder();
    if (!folder.empty()) ofn.lpstrInitialDir = folder.c_str();
    if (showOpenDialog(ofn)) {
      SetDlgItemTextW(hwnd(), IDC_ENTRY_PATH, widen(commandForFile(narrow(file.data()))).c_str());
    }
  }

  bool hasPlaces() const { return kind_ == EntryDialogKind::Add && data_.places.size() > 1 && item(IDC_ENTRY_PLACE); }

  // Several places: a drop-down of them over the section line, each named
  // by what it is, the caller's choice selected. Its list is as wide as its
  // longest name, and the chosen place's full key or folder is its tip.
  void showPlaces() {
    if (!hasPlaces()) return;
    HWND box = item(IDC_ENTRY_PLACE);
    int widest = 0;
    {
      const WindowDc dc(box);
      const SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
      for (const EntryPlace& p : data_.places) {
        const std::wstring shown = widen(p.label.empty() ? p.location : p.label);
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
        SIZE size{};
        if (GetTextExtentPoint32W(dc.get(), shown.c_str(), static_cast<int>(shown.size()), &size)) {
          widest = std::max(widest, static_cast<int>(size.cx));
        }
      }
    }
    // The items' margins and the list's scroll bar beside the longest text.
    const int dpi = windowDpi(box);
    const int list = widest + scaleToDpi(kItemMargins, dpi) + GetSystemMetrics(SM_CXVSCROLL) * dpi / GetDpiForSystem();
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    SendMessageW(box, CB_SETDROPPEDWIDTH, std::max<int>(list, boxRect.right - boxRect.left), 0);
    const std::size_t chosen = data_.place < data_.places.size() ? data_.place : 0;
    SendMessageW(box, CB_SETCURSEL, chosen, 0);
    setItemText(IDC_ENTRY_TYPE, data_.places[chosen].typeText);
    if (HWND section = item(IDC_ENTRY_SECTION)) ShowWindow(section, SW_HIDE);
    ShowWindow(box, SW_SHOW);
    // Owned by the dialog, so it goes with it.
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, nullptr, nullptr);
    if (!tip_) return;
    TTTOOLINFOW tool = placeTool();
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A key path is long: the tip wraps rather than runs off the screen.
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, scaleToDpi(kTipWidth, dpi));
    showPlaceTip();
  }

  TTTOOLINFOW placeTool() const {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(item(IDC_ENTRY_PLACE));
    tool.lpszText = const_cast<wchar_t*>(tipText_.c_str());
    return tool;
  }

  void showPlaceTip() {
    if (!tip_) return;
    tipText_ = widen(data_.places[chosenPlace()].location);
    TTTOOLINFOW tool = placeTool();
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }

  std::size_t chosenPlace() const {
    const LRESULT at = SendMessageW(item(IDC_ENTRY_PLACE), CB_GETCURSEL, 0, 0);
    return at >= 0 && static_cast<std::size_t>(at) < data_.places.size() ? static_cast<std::size_t>(at) : data_.place;
  }

  EntryDialogKind kind_;
  EntryDialogData& data_;
  const Translator& translator_;
  std::wstring initialName_;
  std::wstring initialPath_;
  // The place drop-down's tip and its text.
  HWND tip_ = nullptr;
  std::wstring tipText_;
  // At 96 DPI: a drop-down item's margins, the widest a tip may be.
  static constexpr int kItemMargins = 12;
  static constexpr int kTipWidth = 600;
};

}  // namespace

bool runEntryDialog(HWND owner, EntryDialogKind kind, EntryDialogData& data, const Translator& translator) {
  EntryDialog dialog(kind, data, translator);
  return dialog.runModal(owner) == IDOK && kind != EntryDialogKind::Property;
}

}  // namespace velmora::win32
