#include "dialogs/win32/file_information_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include "dialogs/win32/centre_dialog.h"
#include "dialogs/win32/version_resource.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"

namespace velmora::win32 {

namespace {

DateTime localTimeOf(const FILETIME& utc) {
  SYSTEMTIME system{};
  SYSTEMTIME local{};
  if (!FileTimeToSystemTime(&utc, &system)) return {};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &system, &local)) local = system;
  return DateTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

// An icon taken from the file is ours to destroy; the system's is shared.
class OwnedIcon {
 public:
  OwnedIcon() = default;
  ~OwnedIcon() { reset(nullptr); }
  OwnedIcon(const OwnedIcon&) = delete;
  OwnedIcon& operator=(const OwnedIcon&) = delete;
  HICON get() const { return icon_; }
  void reset(HICON icon) {
    if (icon_) DestroyIcon(icon_);
    icon_ = icon;
  }

 private:
  HICON icon_ = nullptr;
};

struct FileInfoDialog {
  std::string path;
  std::string examined;
  std::string searchText;
  const Translator& translator;
  const ShellOpener& opener;
  OwnedIcon fileIcon;

  void initialise(HWND dlg) {
    centreDialog(dlg);
    HWND list = GetDlgItem(dlg, IDC_FILEINFO_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    translateDialog(dlg, translator);

    // ExtractIcon gives 1, not an icon, for a file that is no program.
    const HICON extracted = ExtractIconW(GetModuleHandleW(nullptr), widen(examined).c_str(), 0);
    if (reinterpret_cast<UINT_PTR>(extracted) > 1) fileIcon.reset(extracted);
    const HICON icon = fileIcon.get() ? fileIcon.get() : LoadIconW(nullptr, IDI_INFORMATION);
    SendDlgItemMessageW(dlg, IDC_FILEINFO_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

    SetDlgItemTextW(dlg, IDC_FILEINFO_PATH, widen(path).c_str());

    const FileFacts facts = examineFile(examined);
    if (!facts.exists) {
      EnableWindow(list, FALSE);
      EnableWindow(GetDlgItem(dlg, IDC_FILEINFO_BROWSE), FALSE);
    }
    fillList(list, buildFileInfoRows(facts, translator));
  }

  void fillList(HWND list, const std::vector<InfoRow>& rows) const {
    RECT client{};
    GetClientRect(list, &client);
    const int third = (client.right - client.left) / 3;
    addColumn(list, 0, translator.translate("_AttributeName"), third);
    addColumn(list, 1, translator.translate("_AttributeValue"), third * 2);

    int index = 0;
    for (const InfoRow& row : rows) {
      std::wstring name = widen(row.name);
      std::wstring value = widen(row.value);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = index;
      item.pszText = name.data();
      index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
      if (index < 0) return;
      LVITEMW sub{};
      sub.iSubItem = 1;
      sub.pszText = value.data();
      SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
      ++index;
    }
  }

  static void addColumn(HWND list, int index, const std::string& title, int width) {
    std::wstring text = widen(title);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = text.data();
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
  }

  // Returns whether the command was one of ours.
  bool command(HWND dlg, int id) {
    switch (id) {
      case IDOK:
        EndDialog(dlg, IDOK);
        return true;
      case IDCANCEL:
        EndDialog(dlg, IDCANCEL);
        return true;
      case IDC_FILEINFO_SEARCH:
        // Shell failures are not reported: there is nothing the user could do.
        (void)opener(dlg, ShellRequest{searchAddress(searchTerm(path, searchText)), {}});
        return true;
      case IDC_FILEINFO_BROWSE:
        (void)opener(dlg, ShellRequest{"explorer.exe", explorerSelectParameters(examined)});
        return true;
    }
    return false;
  }
};

INT_PTR CALLBACK dialogProc(HWND dlg, UINT message, WPARAM wp, LPARAM lp) {
  try {
    if (message == WM_INITDIALOG) {
      auto* self = reinterpret_cast<FileInfoDialog*>(lp);
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      self->initialise(dlg);
      // Start on OK: the first tab stop is the path, which an edit would
      // show all selected.
      SetFocus(GetDlgItem(dlg, IDOK));
      return FALSE;
    }
    auto* self = reinterpret_cast<FileInfoDialog*>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (self && message == WM_COMMAND) return self->command(dlg, LOWORD(wp)) ? TRUE : FALSE;
  } catch (...) {
    // No exception may cross into the dialog manager; the dialog stays as far
    // as it got and can still be closed.
  }
  return FALSE;
}

}  // namespace

std::string resolveExaminedPath(const std::string& path) {
  if (path.empty() || path.find_first_of("\\/:") != std::string::npos) return path;
  const std::wstring name = widen(path);
  const DWORD needed = SearchPathW(nullptr, name.c_str(), nullptr, 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring found(needed, L'\0');
  const DWORD got = SearchPathW(nullptr, name.c_str(), nullptr, needed, found.data(), nullptr);
  if (got == 0 || got >= needed) return path;
  found.resize(got);
  return narrow(found);
}

FileFacts examineFile(const std::string& path) {
  FileFacts facts;
  if (path.empty()) return facts;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) return facts;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return facts;  // no file to describe
  facts.exists = true;

  if (const std::optional<VersionResource> resource = VersionResource::load(path)) {
    for (const VersionTranslation& t : resource->translations()) {
      VersionGroup group{t.language, t.codePage, {}};
      for (const VersionKey& key : kVersionKeys)
        if (std::optional<std::string> text = resource->text(t, key.name)) group.texts[key.name] = std::move(*text);
      facts.groups.push_back(std::move(group));
    }
  }

  FileStamps stamps;
  stamps.created = localTimeOf(data.ftCreationTime);
  stamps.lastAccess = localTimeOf(data.ftLastAccessTime);
  stamps.lastWrite = localTimeOf(data.ftLastWriteTime);
  stamps.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  facts.stamps = stamps;
  return facts;
}

std::vector<InfoRow> fileInformationRows(const std::string& path, const Translator& translator) {
  return buildFileInfoRows(examineFile(resolveExaminedPath(path)), translator);
}

INT_PTR runFileInformationDialog(HWND owner, const std::string& path, const Translator& translator,
                                 const std::string& searchText, const ShellOpener& opener) {
  FileInfoDialog dialog{path, resolveExaminedPath(path), searchText, translator, opener, {}};
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FILEINFO), owner, dialogProc,
                         reinterpret_cast<LPARAM>(&dialog));
}

void showFileInformation(HWND owner, const std::string& path, const Translator& translator,
                         const std::string& searchText) {
  runFileInformationDialog(owner, path, translator, searchText, shellOpen);
}

}  // namespace velmora::win32
