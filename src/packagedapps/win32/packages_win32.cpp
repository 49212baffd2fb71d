#include "packagedapps/win32/packages_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>

#include "core/text.h"
#include "core/win32/xml_tree.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_function.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

using GetPackagesByFamily = LONG(WINAPI*)(PCWSTR, UINT32*, PWSTR*, UINT32*, WCHAR*);
using GetPathByFullName = LONG(WINAPI*)(PCWSTR, UINT32*, PWSTR);
using LoadIndirect = HRESULT(WINAPI*)(PCWSTR, PWSTR, UINT, void**);

PackageStatus statusOf(LONG error) {
  switch (error) {
    case ERROR_SUCCESS: return PackageStatus::Ok;
    case ERROR_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case APPMODEL_ERROR_NO_PACKAGE: return PackageStatus::NotFound;
    default: return PackageStatus::Failed;
  }
}


}  // namespace


PackageStatus PackagesWin32::familyPackages(const std::string& familyName, std::vector<std::string>& out) {
  static const auto get = systemFunction<GetPackagesByFamily>(L"kernel32.dll", "GetPackagesByPackageFamily");
  if (!get) return PackageStatus::Unavailable;
  const std::wstring family = widen(familyName);
  UINT32 count = 0, length = 0;
  LONG error = get(family.c_str(), &count, nullptr, &length, nullptr);
  std::vector<PWSTR> names;
  std::vector<WCHAR> buffer;
  // The family may gain a package between the two calls: asked again.
  for (int tries = 0; error == ERROR_INSUFFICIENT_BUFFER && tries < 3; ++tries) {
    names.assign(count, nullptr);
    buffer.assign(length, L'\0');
    error = get(family.c_str(), &count, names.data(), &length, buffer.data());
  }
  if (error != ERROR_SUCCESS) return statusOf(error);
  std::vector<std::string> found;
  for (UINT32 i = 0; i < count && i < names.size(); ++i) {
    if (names[i]) found.push_back(narrow(names[i]));
  }
  out = std::move(found);
  return PackageStatus::Ok;
}

PackageStatus PackagesWin32::packageFolder(const std::string& fullName, std::string& out) {
  static const auto get = systemFunction<GetPathByFullName>(L"kernel32.dll", "GetPackagePathByFullName");
  if (!get) return PackageStatus::Unavailable;
  const std::wstring name = widen(fullName);
  UINT32 length = 0;
  LONG error = get(name.c_str(), &length, nullptr);
  std::vector<WCHAR> path;
  for (int tries = 0; error == ERROR_INSUFFICIENT_BUFFER && tries < 3; ++tries) {
    path.assign(length + 1, L'\0');
    error = get(name.c_str(), &length, path.data());
  }
  if (error != ERROR_SUCCESS) return statusOf(error);
  out = narrow(path.data());
  return PackageStatus::Ok;
}

PackageStatus PackagesWin32::readManifest(const std::string& folder, XmlElement& out) {
  const DWORD attributes = GetFileAttributesW(widen(folder).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return PackageStatus::NotFound;
  const std::optional<std::string> bytes = readFileBytesUpTo(widen(folder + "\\AppxManifest.xml"), kMostManifestBytes);
  const std::optional<std::wstring> text = bytes ? textOfXmlFile(*bytes) : std::nullopt;
  std::optional<XmlElement> root = text ? readXmlTree(*text) : std::nullopt;
  if (!root) return PackageStatus::Failed;
  out = std::move(*root);
  return PackageStatus::Ok;
}

bool PackagesWin32::loadIndirectString(const std::string& reference, std::string& out) {
  static const auto load = systemFunction<LoadIndirect>(L"shlwapi.dll", "SHLoadIndirectString");
  if (!load) return false;
  std::vector<WCHAR> text(4096, L'\0');
  if (FAILED(load(widen(reference).c_str(), text.data(), static_cast<UINT>(text.size()), nullptr))) return false;
  out = narrow(text.data());
  return true;
}

bool PackagesWin32::openStartupSettings() {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No box of the shell's own where nothing opens the address: the caller says so.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = L"ms-settings:startupapps";
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

}  // namespace velmora::win32
