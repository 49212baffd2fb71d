#include "platform/win32/files_win32.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "core/retry.h"
#include "core/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

std::optional<std::string> readFileBytes(const std::string& path) {
  const FileHandle h(CreateFileW(widen(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return std::nullopt;
  std::string out;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    out.append(buffer, got);
  }
  return out;
}

std::optional<std::string> readFileBytesUpTo(const std::wstring& path, std::size_t most) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > most) {
    return std::nullopt;
  }
  std::string bytes;
  std::vector<char> buffer(65536);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return std::nullopt;
    if (got == 0) return bytes;
    if (bytes.size() + got > most) return std::nullopt;
    bytes.append(buffer.data(), got);
  }
}

std::optional<std::wstring> textOfXmlFile(std::string_view bytes) {
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

FileWrite creationRefusal(unsigned long error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD: return FileWrite::FolderRefused;
    default: return FileWrite::Failed;
  }
}

FileWrite writeFileAtomically(const std::string& path, std::string_view bytes) {
  const std::wstring target = widen(path);
  // Windows refuses to replace a read-only file, but Wine running as root
  // does not: the attribute is honoured here, the same everywhere.
  const DWORD existing = GetFileAttributesW(target.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY)) return FileWrite::ReadOnly;

  const std::size_t cut = target.find_last_of(L"\\/:");
  const std::wstring folder = cut == std::wstring::npos ? std::wstring(L".") : target.substr(0, cut + 1);
  // A name no other writer holds; the folder may be longer than
  // GetTempFileNameW accepts, so then it is named here.
  std::wstring temporary;
  wchar_t made[MAX_PATH + 1] = {};
  if (folder.size() < MAX_PATH - 14 && GetTempFileNameW(folder.c_str(), L"vmr", 0, made) != 0) {
    temporary = made;
  } else {
    temporary = target + L".velmora-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  }
  {
    const FileHandle h(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
      const DWORD error = GetLastError();
      DeleteFileW(temporary.c_str());  // GetTempFileNameW may have made it
      return creationRefusal(error);
    }
    DWORD written = 0;
    const bool ok = WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(h.get());
    if (!ok) {
      DeleteFileW(temporary.c_str());
      return FileWrite::Failed;
    }
  }
  // An antivirus or sync client reading the old file holds it for a moment:
  // the replace is tried again briefly before it counts as failed.
  if (!retryWhileHeld([&] { return MoveFileExW(temporary.c_str(), target.c_str(),
                                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE; },
                      replaceHeldByAnother)) {
    DeleteFileW(temporary.c_str());
    return FileWrite::Failed;
  }
  // Done only when the file holds what was meant: the callers keep what
  // they wrote as what the file is.
  const std::optional<std::string> back = readFileBytes(path);
  return back && *back == bytes ? FileWrite::Written : FileWrite::Failed;
}

std::string decodeLegacy(std::string_view bytes) {
  UINT cp = 0;
  if (GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                      reinterpret_cast<LPWSTR>(&cp), sizeof(cp) / sizeof(wchar_t)) == 0 ||
      cp == 0 || cp == CP_UTF8) {
    cp = 1252;
  }
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return std::string(bytes);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
  return narrow(w);
}

std::string programPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return narrow(std::wstring_view(buffer.data(), n));
    buffer.resize(buffer.size() * 2);
  }
}

namespace {
// The folder the Apps & Features entry names, as the installer wrote it.
std::string installLocation() {
  constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
  std::vector<wchar_t> value(MAX_PATH + 1);
  for (;;) {
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    const LSTATUS s = RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation",
                                   RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, value.data(), &size);
    if (s == ERROR_MORE_DATA) {
      value.resize(size / sizeof(wchar_t) + 1);
      continue;
    }
    return s == ERROR_SUCCESS ? narrow(std::wstring_view(value.data())) : std::string();
  }
}
}  // namespace

ProgramFiles programFiles() {
  ProgramFiles files = programFilesFor(programPath());
  const std::wstring local = localAppDataFolder();
  if (!local.empty()) files.userFolder = narrow(local) + "\\Velmora";
  // Only the installed copy: a portable one keeps everything beside itself,
  // wherever it is.
  if (const std::wstring common = programDataFolder();
      !files.userFolder.empty() && !common.empty() && isInstalledCopy(files.directory, installLocation())) {
    files.installedUserData = files.userFolder;
    files.installedMachineData = narrow(common) + "\\Velmora";
  }
  return files;
}

DataPlaces dataPlaces(const ProgramFiles& files) {
  std::vector<std::string> roots{"HKEY_CURRENT_USER"};
  for (const std::wstring& folder : userOwnFolders()) roots.push_back(narrow(folder));
  return files.dataPlaces(std::move(roots));
}

void makeDataFolders(const ProgramFiles& files) {
  if (files.installedUserData.empty()) return;
  // The user's is made here, with the log's folder in it.
  for (const std::string& folder : {files.installedUserData, files.logDataFolder()}) {
    (void)SHCreateDirectoryExW(nullptr, widen(folder).c_str(), nullptr);
  }
  // The machine's only with its rights, by an administrator: one a user
  // made would be his, and never trusted (the installer makes it too).
  if (!fileExists(files.installedMachineData) && runsElevated()) (void)prepareMachineFolder(files.installedMachineData);
}

bool fileExists(const std::string& path) {
  return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool heldByAnother(unsigned long error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

bool replaceHeldByAnother(unsigned long error) { return heldByAnother(error) || error == ERROR_ACCESS_DENIED; }

bool retryWhileHeld(const std::function<bool()>& step, bool (*transient)(unsigned long)) {
  DWORD error = ERROR_SUCCESS;
  const bool done = retryBriefly(
      [&] {
        const bool ok = step();
        error = ok ? ERROR_SUCCESS : GetLastError();
        return ok;
      },
      [&](bool ok) { return !ok && transient(error); }, [](unsigned ms) { Sleep(ms); });
  SetLastError(error);
  return done;
}

void unmarkReadOnly(const std::wstring& path, unsigned long& restore) {
  restore = INVALID_FILE_ATTRIBUTES;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return;
  // NORMAL is valid only alone, and zero would mean "leave as is".
  DWORD cleared = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_NORMAL};
  if (cleared == 0) cleared = FILE_ATTRIBUTE_NORMAL;
  if (SetFileAttributesW(path.c_str(), cleared)) restore = attributes;
}

bool deleteFileEvenReadOnly(const std::wstring& path) {
  DWORD restore = INVALID_FILE_ATTRIBUTES;
  unmarkReadOnly(path, restore);
  if (retryWhileHeld([&] { return DeleteFileW(path.c_str()) != FALSE; })) return true;
  const DWORD error = GetLastError();
  if (restore != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(path.c_str(), restore);
  SetLastError(error);
  return false;
}

}  // namespace velmora::win32
