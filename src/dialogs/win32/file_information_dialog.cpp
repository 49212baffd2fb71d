#include "dialogs/win32/file_information_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include "dialogs/win32/version_resource.h"
#include "lang/win32/local_formats_win32.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/dialog.h"
#include "platform/win32/handles.h"
#include "platform/win32/list_view.h"
#include "platform/win32/placement.h"
#include "platform/win32/wide.h"
#include "file_info_res.h"

namespace velmora::win32 {

namespace {

// What ExtractIconW returns for a file that holds no icon.
constexpr UINT_PTR kNoIconInFile = 1;

DateTime localTimeOf(const FILETIME& utc) {
  SYSTEMTIME system{};
  SYSTEMTIME local{};
  if (!FileTimeToSystemTime(&utc, &system)) return {};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &system, &local)) local = system;
  return DateTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

class FileInfoDialog final : public Dialog {
 public:
  FileInfoDialog(std::string path, const Translator& translator, std::string searchText, const ShellOpener& opener)
      : Dialog(IDD_FILEINFO),
        path_(std::move(path)),
        examined_(resolveExaminedPath(path_)),
        searchText_(std::move(searchText)),
        translator_(translator),
        opener_(opener) {}

 private:
  [[nodiscard]] bool onInit() override {
    centreWindow(hwnd());
    HWND list = item(IDC_FILEINFO_LIST);
    // A cut cell (a long path, a long description) shows its whole text as a tip.
    constexpr DWORD kStyle = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kStyle, kStyle);
    translateDialog(hwnd(), translator_);

    // ExtractIcon gives 1, not an icon, for a file that is no program; an
    // icon taken from the file is ours to destroy, the system's is shared.
    const HICON extracted = ExtractIconW(GetModuleHandleW(nullptr), widen(examined_).c_str(), 0);
    if (reinterpret_cast<UINT_PTR>(extracted) > kNoIconInFile) fileIcon_.reset(extracted);
    const HICON icon = fileIcon_ ? fileIcon_.get() : LoadIconW(nullptr, IDI_INFORMATION);
    SendDlgItemMessageW(hwnd(), IDC_FILEINFO_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

    setItemText(IDC_FILEINFO_PATH, path_);

    const FileFacts facts = examineFile(examined_);
    if (!facts.exists) {
      EnableWindow(list, FALSE);
      EnableWindow(item(IDC_FILEINFO_BROWSE), FALSE);
    }
    fillList(list, buildFileInfoRows(facts, translator_, userFormats()));
    // Start on OK: the first tab stop is the path, which an edit would
    // show all selected.
    SetFocus(item(IDOK));
    return false;
  }

  void fillList(HWND list, const std::vector<InfoRow>& rows) const {
    RECT client{};
    GetClientRect(list, &client);
    const int third = (client.right - client.left) / 3;
    addColumns(list, {{translator_.translate("_AttributeName"), third},
                      {translator_.translate("_AttributeValue"), third * 2}});
    int index = 0;
    for (const InfoRow& row : rows) {
      index = insertRow(list, index, {row.name, row.value});
      if (index < 0) return;
      ++index;
    }
  }

  [[nodiscard]] bool onCommand(int id, int code, HWND control) override {
    switch (id) {
      case IDC_FILEINFO_SEARCH:
        // Shell failures are not reported: there is nothing the user could do.
        (void)opener_(hwnd(), ShellRequest{searchAddress(searchTerm(path_, searchText_)), {}});
        return true;
      case IDC_FILEINFO_BROWSE:
        (void)opener_(hwnd(), ShellRequest{"explorer.exe", explorerSelectParameters(examined_)});
        return true;
    }
    return Dialog::onCommand(id, code, control);
  }

  std::string path_;
  std::string examined_;
  std::string searchText_;
  const Translator& translator_;
  const ShellOpener& opener_;
  IconHandle fileIcon_;
};

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
  return buildFileInfoRows(examineFile(resolveExaminedPath(path)), translator, userFormats());
}

INT_PTR runFileInformationDialog(HWND owner, const std::string& path, const Translator& translator,
                                 const std::string& searchText, const ShellOpener& opener) {
  FileInfoDialog dialog(path, translator, searchText, opener);
  return dialog.runModal(owner);
}

void showFileInformation(HWND owner, const std::string& path, const Translator& translator,
                         const std::string& searchText) {
  runFileInformationDialog(owner, path, translator, searchText, shellOpen);
}

}  // namespace velmora::win32
