#include "wine/task_double/task_store.h"

#include <windows.h>

#include <algorithm>

namespace velmora::taskdouble {

namespace {

bool validPart(const std::wstring& part) {
  if (part.empty() || part == L"." || part == L"..") return false;
  return part.find_first_of(L"<>:\"/|?*") == std::wstring::npos &&
         std::none_of(part.begin(), part.end(), [](wchar_t c) { return c < 32; });
}

std::vector<std::wstring> split(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find(L'\\', start), path.size());
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool isDirectory(const std::wstring& disk) {
  const DWORD attributes = GetFileAttributesW(disk.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFile(const std::wstring& disk) {
  const DWORD attributes = GetFileAttributesW(disk.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Names of the folders, or of the files ending in `suffix` (without it), in
// `folder`, sorted as the scheduler sorts them: case does not matter.
std::vector<std::wstring> listNames(const std::wstring& folder, bool directories, const std::wstring& suffix) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*" + suffix).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != directories) continue;
    // "*.xml" also matches "a.xmlx" on some file systems (short names).
    if (name.size() < suffix.size() || _wcsicmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) != 0)
      continue;
    names.push_back(name.substr(0, name.size() - suffix.size()));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
  return names;
}

std::wstring settingsPart(const std::wstring& xml) {
  const std::size_t start = xml.find(L"<Settings>");
  if (start == std::wstring::npos) return {};
  const std::size_t end = xml.find(L"</Settings>", start);
  return xml.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

}  // namespace

std::optional<std::wstring> resolvePath(const std::wstring& base, const std::wstring& path) {
  if (path.empty()) return base;
  std::wstring joined = path.front() == L'\\' ? path : (base == L"\\" ? L"" : base) + L"\\" + path;
  if (joined == L"\\") return joined;
  // Like the scheduler, one trailing backslash names the folder itself.
  if (joined.size() > 1 && joined.back() == L'\\') joined.pop_back();
  const std::vector<std::wstring> parts = split(joined.substr(1));
  if (!std::all_of(parts.begin(), parts.end(), validPart)) return std::nullopt;
  return joined;
}

std::wstring leafName(const std::wstring& path) {
  if (path == L"\\") return path;
  return path.substr(path.rfind(L'\\') + 1);
}

std::wstring parentPath(const std::wstring& path) {
  const std::size_t last = path.rfind(L'\\');
  return last == 0 || last == std::wstring::npos ? L"\\" : path.substr(0, last);
}

bool definitionHidden(const std::wstring& xml) { return xml.find(L"<Hidden>true</Hidden>") != std::wstring::npos; }

bool definitionDisabled(const std::wstring& xml) {
  return settingsPart(xml).find(L"<Enabled>false</Enabled>") != std::wstring::npos;
}

std::wstring TaskStore::diskPath(const std::wstring& path) const { return path == L"\\" ? root_ : root_ + path; }

bool TaskStore::folderExists(const std::wstring& path) const { return isDirectory(diskPath(path)); }

bool TaskStore::taskExists(const std::wstring& path) const {
  return path != L"\\" && isFile(diskPath(path) + L".xml");
}

std::vector<std::wstring> TaskStore::folderNames(const std::wstring& path) const {
  return listNames(diskPath(path), true, L"");
}

std::vector<std::wstring> TaskStore::taskNames(const std::wstring& path) const {
  return listNames(diskPath(path), false, L".xml");
}

std::optional<std::wstring> TaskStore::readTask(const std::wstring& path) const {
  if (!taskExists(path)) return std::nullopt;
  HANDLE file = CreateFileW((diskPath(path) + L".xml").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes.compare(0, 2, "\xFF\xFE") != 0) return std::nullopt;
  std::wstring xml(bytes.size() / 2 - 1, L'\0');
  std::copy(bytes.begin() + 2, bytes.end(), reinterpret_cast<char*>(xml.data()));
  return xml;
}

bool TaskStore::writeTask(const std::wstring& path, const std::wstring& xml, bool enabled) const {
  if (path == L"\\" || !createFolder(parentPath(path))) return false;
  HANDLE file = CreateFileW((diskPath(path) + L".xml").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(xml.data()), xml.size() * sizeof(wchar_t));
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok && setEnabled(path, enabled);
}

bool TaskStore::enabled(const std::wstring& path) const { return !isFile(diskPath(path) + L".disabled"); }

bool TaskStore::setEnabled(const std::wstring& path, bool enabled) const {
  const std::wstring marker = diskPath(path) + L".disabled";
  if (enabled) return DeleteFileW(marker.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
  HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool TaskStore::deleteTask(const std::wstring& path) const {
  if (!taskExists(path) || !DeleteFileW((diskPath(path) + L".xml").c_str())) return false;
  DeleteFileW((diskPath(path) + L".disabled").c_str());
  DeleteFileW((diskPath(path) + L".sddl").c_str());
  return true;
}

std::wstring TaskStore::security(const std::wstring& path) const {
  // What the scheduler gives a task registered without an access list of its own.
  const std::wstring fallback = L"D:(A;;FA;;;BA)(A;;FA;;;SY)(A;;FRFX;;;AU)";
  HANDLE file = CreateFileW((diskPath(path) + L".sddl").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fallback;
  std::wstring text(1024, L'\0');
  DWORD got = 0;
  const bool ok = ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &got, nullptr);
  CloseHandle(file);
  if (!ok) return fallback;
  text.resize(got / sizeof(wchar_t));
  return text;
}

bool TaskStore::setSecurity(const std::wstring& path, const std::wstring& sddl) const {
  HANDLE file = CreateFileW((diskPath(path) + L".sddl").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const DWORD bytes = static_cast<DWORD>(sddl.size() * sizeof(wchar_t));
  const bool ok = WriteFile(file, sddl.data(), bytes, &written, nullptr) && written == bytes;
  CloseHandle(file);
  return ok;
}

bool TaskStore::createFolder(const std::wstring& path) const {
  if (folderExists(path)) return true;
  if (path == L"\\" || !createFolder(parentPath(path))) return false;
  return CreateDirectoryW(diskPath(path).c_str(), nullptr) || folderExists(path);
}

bool TaskStore::deleteFolder(const std::wstring& path) const {
  return path != L"\\" && RemoveDirectoryW(diskPath(path).c_str());
}

}  // namespace velmora::taskdouble
