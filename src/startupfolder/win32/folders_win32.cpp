#include "startupfolder/win32/folders_win32.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

FileStatus fromError(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS: return FileStatus::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FileStatus::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD: return FileStatus::AccessDenied;
    // Kept apart from rights, as running as administrator would not help (nor
    // would it on a write-protected medium, which falls to Failed).
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FileStatus::InUse;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileStatus::Exists;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY: return FileStatus::InvalidName;
    default: return FileStatus::Failed;
  }
}

FileStatus lastError() { return fromError(GetLastError()); }

// Pushes a written file's data to the disk before the caller relies on it.
FileStatus flushToDisk(const std::wstring& path) {
  const FileHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) return lastError();
  if (!FlushFileBuffers(h.get())) return lastError();
  return FileStatus::Ok;
}

}  // namespace

FileStatus Win32Folders::list(const std::string& folder, std::vector<FolderEntry>& out) {
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileExW(widen(folder + "\\*.*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0));
  if (!find) return lastError();
  std::vector<FolderEntry> entries;
  do {
    entries.push_back(FolderEntry{narrow(data.cFileName), data.dwFileAttributes});
  } while (FindNextFileW(find.get(), &data));
  out = std::move(entries);
  return FileStatus::Ok;
}

bool Win32Folders::exists(const std::string& path) {
  return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

FileStatus Win32Folders::removeFile(const std::string& path) {
  return DeleteFileW(widen(path).c_str()) ? FileStatus::Ok : lastError();
}

FileStatus Win32Folders::copyFile(const std::string& from, const std::string& to, IfExists ifExists) {
  const std::wstring target = widen(to);
  if (!CopyFileW(widen(from).c_str(), target.c_str(), ifExists == IfExists::Replace ? FALSE : TRUE)) return lastError();
  return flushToDisk(target);
}

FileStatus Win32Folders::moveFile(const std::string& from, const std::string& to, IfExists ifExists) {
  DWORD flags = MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
  if (ifExists == IfExists::Replace) flags |= MOVEFILE_REPLACE_EXISTING;
  return MoveFileExW(widen(from).c_str(), widen(to).c_str(), flags) ? FileStatus::Ok : lastError();
}

FileStatus Win32Folders::setVisibility(const std::string& path, Visibility visibility) {
  const std::wstring full = widen(path);
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
  const bool hidden = visibility == Visibility::Hidden;
  if (((attributes & FILE_ATTRIBUTE_HIDDEN) != 0) == hidden) return FileStatus::Ok;
  // NORMAL is valid only alone, and zero would mean "leave as is".
  DWORD wanted = attributes & ~DWORD{FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_HIDDEN};
  if (hidden) wanted |= FILE_ATTRIBUTE_HIDDEN;
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesW(full.c_str(), wanted) ? FileStatus::Ok : lastError();
}

FileStatus Win32Folders::makeFolder(const std::string& path) {
  const std::wstring full = widen(path);
  const int made = SHCreateDirectoryExW(nullptr, full.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
    return fromError(static_cast<DWORD>(made));
  }
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileStatus::Ok : FileStatus::Exists;
}

}  // namespace velmora::win32
