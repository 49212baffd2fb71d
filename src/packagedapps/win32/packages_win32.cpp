#include "packagedapps/win32/packages_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>

#include "core/text.h"
#include "core/win32/xml_tree.h"
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

// The file's bytes, or nothing when it cannot be read or is larger than
// `most` (also when it grows past that while read).
std::optional<std::string> boundedBytes(const std::wstring& path, std::size_t most) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > most) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) return bytes;
    if (bytes.size() + got > most) return std::nullopt;
    bytes.append(buffer, got);
  }
}

}  // namespace

std::optional<std::wstring> manifestText(std::string_view bytes) {
  const auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
    const bool big = starts("\xFE\xFF");
    bytes.remove_prefix(2);
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::wstring text(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto lo = static_cast<unsigned char>(bytes[2 * i + (big ? 1 : 0)]);
      const auto hi = static_cast<unsigned char>(bytes[2 * i + (big ? 0 : 1)]);
      text[i] = static_cast<wchar_t>(lo | hi << 8);
    }
    return text;
  }
  if (starts("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (!isValidUtf8(bytes)) return std::nullopt;
  return widen(bytes);
}

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
  const std::optional<std::string> bytes = boundedBytes(widen(folder + "\\AppxManifest.xml"), kMostManifestBytes);
  const std::optional<std::wstring> text = bytes ? manifestText(*bytes) : std::nullopt;
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
