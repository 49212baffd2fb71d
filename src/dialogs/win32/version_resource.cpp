#include "dialogs/win32/version_resource.h"

#include <windows.h>

#include <cwchar>

#include "dialogs/file_info_format.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

std::optional<VersionResource> VersionResource::load(const std::string& path) {
  const std::wstring file = widen(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  VersionResource resource;
  resource.block_.resize(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, resource.block_.data())) return std::nullopt;
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
  if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", &data, &bytes) || !data) return out;
  const auto* words = static_cast<const WORD*>(data);
  for (UINT i = 0; i + 4 <= bytes; i += 4) out.push_back({words[i / 2], words[i / 2 + 1]});
  return out;
}

std::optional<std::string> VersionResource::text(VersionTranslation translation, std::string_view key) const {
  const std::wstring query = widen(versionQueryPath(translation.language, translation.codePage, key));
  void* data = nullptr;
  UINT chars = 0;
  void* block = const_cast<unsigned char*>(block_.data());
  if (!VerQueryValueW(block, query.c_str(), &data, &chars) || !data) return std::nullopt;
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
