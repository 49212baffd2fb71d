#include "dialogs/win32/version_resource.h"

#include <windows.h>

#include <cwchar>

#include "dialogs/file_info_format.h"
#include "platform/win32/system_function.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

// version.dll is not one of the DLLs Windows always takes from its own
// folder: imported, a DLL of that name beside the program would be loaded
// before the program runs a line. Its functions are taken from the system
// folder when first needed.
DWORD versionInfoSize(const wchar_t* file, DWORD* handle) {
  using Function = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  static const auto f = systemFunction<Function>(L"version.dll", "GetFileVersionInfoSizeW");
  return f ? f(file, handle) : 0;
}

BOOL versionInfo(const wchar_t* file, DWORD size, void* data) {
  using Function = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  static const auto f = systemFunction<Function>(L"version.dll", "GetFileVersionInfoW");
  return f ? f(file, 0, size, data) : FALSE;
}

BOOL queryValue(void* block, const wchar_t* path, void** data, UINT* size) {
  using Function = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  static const auto f = systemFunction<Function>(L"version.dll", "VerQueryValueW");
  return f ? f(block, path, data, size) : FALSE;
}

}  // namespace

std::optional<VersionResource> VersionResource::load(const std::string& path) {
  const std::wstring file = widen(path);
  DWORD ignored = 0;
  const DWORD size = versionInfoSize(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  VersionResource resource;
  resource.block_.resize(size);
  if (!versionInfo(file.c_str(), size, resource.block_.data())) return std::nullopt;
  return resource;
}

std::optional<VersionResource> VersionResource::ofThisProgram() {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));  // RT_VERSION
  HGLOBAL loaded = found ? LoadResource(self, found) : nullptr;
  const auto* bytes = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  const DWORD size = found ? SizeofResource(self, found) : 0;
  if (!bytes || size == 0) return std::nullopt;
  VersionResource resource;
  resource.block_.assign(bytes, bytes + size);  // a copy: the image's own pages are read-only
  return resource;
}

std::vector<VersionTranslation> VersionResource::translations() const {
  std::vector<VersionTranslation> out;
  void* data = nullptr;
  UINT bytes = 0;
  // VerQueryValueW does not write to the block, whatever its signature says.
  void* block = const_cast<unsigned char*>(block_.data());
  if (!queryValue(block, L"\\VarFileInfo\\Translation", &data, &bytes) || !data) return out;
  const auto* words = static_cast<const WORD*>(data);
  for (UINT i = 0; i + 4 <= bytes; i += 4) out.push_back({words[i / 2], words[i / 2 + 1]});
  return out;
}

std::optional<std::string> VersionResource::text(VersionTranslation translation, std::string_view key) const {
  const std::wstring query = widen(versionQueryPath(translation.language, translation.codePage, key));
  void* data = nullptr;
  UINT chars = 0;
  void* block = const_cast<unsigned char*>(block_.data());
  if (!queryValue(block, query.c_str(), &data, &chars) || !data) return std::nullopt;
  // The length counts the terminating zero when there is one; stop at it.
  const auto* text = static_cast<const wchar_t*>(data);
  std::size_t length = 0;
  while (length < chars && text[length] != L'\0') ++length;
  return narrow(std::wstring_view(text, length));
}

std::string firstTranslationText(const std::string& path, std::string_view key) {
  return firstTranslationText(VersionResource::load(path), key);
}

std::string firstTranslationText(const std::optional<VersionResource>& resource, std::string_view key) {
  if (!resource) return {};
  const std::vector<VersionTranslation> table = resource->translations();
  if (table.empty()) return {};
  return resource->text(table.front(), key).value_or(std::string());
}

}  // namespace velmora::win32
