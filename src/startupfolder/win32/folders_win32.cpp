#include "startupfolder/win32/folders_win32.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>

#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/file_time.h"
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
// Flushing needs write access, which a read-only file (a copy of one) only
// gives with its mark cleared for the moment.
FileStatus flushToDisk(const std::wstring& path) {
  DWORD restore = INVALID_FILE_ATTRIBUTES;
  unmarkReadOnly(path, restore);
  FileStatus status = FileStatus::Ok;
  {
    const FileHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h || !FlushFileBuffers(h.get())) status = lastError();
  }
  if (restore != INVALID_FILE_ATTRIBUTES && !SetFileAttributesW(path.c_str(), restore) && status == FileStatus::Ok) {
    status = lastError();
  }
  return status;
}

}  // namespace

FileStatus Win32Folders::list(const std::string& folder, std::vector<FolderEntry>& out) {
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileExW(widen(folder + "\\*.*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0));
  if (!find) return lastError();
  std::vector<FolderEntry> entries;
  do {
    const FILETIME& later = CompareFileTime(&data.ftCreationTime, &data.ftLastWriteTime) > 0 ? data.ftCreationTime
                                                                                             : data.ftLastWriteTime;
    entries.push_back(FolderEntry{narrow(data.cFileName), data.dwFileAttributes, utcStampOf(later)});
  } while (FindNextFileW(find.get(), &data));
  out = std::move(entries);
  return FileStatus::Ok;
}

bool Win32Folders::exists(const std::string& path) {
  return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A read-only file counts as any other, and a file another program holds
// for a moment (an antivirus scanning a new shortcut) is tried again briefly
// (files_win32.h); what fails after that is reported.
FileStatus Win32Folders::removeFile(const std::string& path) {
  return deleteFileEvenReadOnly(widen(path)) ? FileStatus::Ok : lastError();
}

namespace {
// Replaces or makes `to` by `write`; a read-only `to` is replaced too, and
// keeps its mark when the write fails.
FileStatus replacing(const std::wstring& to, IfExists ifExists, const std::function<bool()>& write) {
  DWORD restore = INVALID_FILE_ATTRIBUTES;
  const bool replaces = ifExists == IfExists::Replace && GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (replaces) unmarkReadOnly(to, restore);
  if (retryWhileHeld(write, replaces ? replaceHeldByAnother : heldByAnother)) return FileStatus::Ok;
  const DWORD error = GetLastError();
  if (restore != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(to.c_str(), restore);
  return fromError(error);
}
}  // namespace

// CopyFile gives the copy its source's attributes: a read-only file's copy
// is read-only too, and so is the file an Enable puts back from it.
FileStatus Win32Folders::copyFile(const std::string& from, const std::string& to, IfExists ifExists) {
  const std::wstring source = widen(from);
  const std::wstring target = widen(to);
  const FileStatus copied = replacing(target, ifExists, [&] {
    return CopyFileW(source.c_str(), target.c_str(), ifExists == IfExists::Replace ? FALSE : TRUE) != FALSE;
  });
  return copied == FileStatus::Ok ? flushToDisk(target) : copied;
}

FileStatus Win32Folders::moveFile(const std::string& from, const std::string& to, IfExists ifExists) {
  DWORD flags = MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
  if (ifExists == IfExists::Replace) flags |= MOVEFILE_REPLACE_EXISTING;
  const std::wstring source = widen(from);
  const std::wstring target = widen(to);
  return replacing(target, ifExists, [&] { return MoveFileExW(source.c_str(), target.c_str(), flags) != FALSE; });
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
