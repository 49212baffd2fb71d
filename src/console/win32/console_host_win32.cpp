#include "console/win32/console_host_win32.h"

#include <bcrypt.h>

#include <atomic>
#define SECURITY_WIN32
#include <security.h>

#include "core/win32/xml_file.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/system_function.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

std::atomic<bool> stopWanted{false};

// On the thread Windows starts for the event. Ctrl+C and Ctrl+Break let the
// change being made finish and the next not start; closing the console,
// logging off and shutting down end the program as Windows does anyway.
BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  stopWanted = true;
  return TRUE;
}


bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

// BCrypt's hash functions, from the system folder at run time: bcrypt.dll
// is not among the DLLs Windows always maps from there, and an import
// would be looked up beside the program first.
struct Bcrypt {
  decltype(&BCryptOpenAlgorithmProvider) open =
      systemFunction<decltype(&BCryptOpenAlgorithmProvider)>(L"bcrypt.dll", "BCryptOpenAlgorithmProvider");
  decltype(&BCryptCloseAlgorithmProvider) close =
      systemFunction<decltype(&BCryptCloseAlgorithmProvider)>(L"bcrypt.dll", "BCryptCloseAlgorithmProvider");
  decltype(&BCryptCreateHash) create = systemFunction<decltype(&BCryptCreateHash)>(L"bcrypt.dll", "BCryptCreateHash");
  decltype(&BCryptDestroyHash) destroy =
      systemFunction<decltype(&BCryptDestroyHash)>(L"bcrypt.dll", "BCryptDestroyHash");
  decltype(&BCryptHashData) data = systemFunction<decltype(&BCryptHashData)>(L"bcrypt.dll", "BCryptHashData");
  decltype(&BCryptFinishHash) finish = systemFunction<decltype(&BCryptFinishHash)>(L"bcrypt.dll", "BCryptFinishHash");
  [[nodiscard]] bool complete() const { return open && close && create && destroy && data && finish; }
};

// BCrypt's algorithm provider for one hash; closed with it.
struct Algorithm {
  const Bcrypt& api;
  BCRYPT_ALG_HANDLE handle = nullptr;
  explicit Algorithm(const Bcrypt& functions) : api(functions) {
    if (!BCRYPT_SUCCESS(api.open(&handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) handle = nullptr;
  }
  ~Algorithm() {
    if (handle) api.close(handle, 0);
  }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
};

struct Hash {
  const Bcrypt& api;
  BCRYPT_HASH_HANDLE handle = nullptr;
  Hash(const Bcrypt& functions, BCRYPT_ALG_HANDLE algorithm) : api(functions) {
    if (!BCRYPT_SUCCESS(api.create(algorithm, &handle, nullptr, 0, nullptr, 0, 0))) handle = nullptr;
  }
  ~Hash() {
    if (handle) api.destroy(handle);
  }
  Hash(const Hash&) = delete;
  Hash& operator=(const Hash&) = delete;
};

}  // namespace

void writeStandard(HANDLE handle, std::string_view text) {
  if (!handle || handle == INVALID_HANDLE_VALUE || text.empty()) return;
  if (isConsole(handle)) {
    const std::wstring wide = widen(terminalSafe(text));
    for (std::size_t at = 0; at < wide.size();) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
      DWORD written = 0;
      if (!WriteConsoleW(handle, wide.data() + at, chunk, &written, nullptr) || written == 0) return;
      at += written;
    }
    return;
  }
  // A pipe may take less than it was given.
  for (std::size_t at = 0; at < text.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - at, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(handle, text.data() + at, chunk, &written, nullptr) || written == 0) return;
    at += written;
  }
}

Win32ConsoleHost::Win32ConsoleHost() : out_(GetStdHandle(STD_OUTPUT_HANDLE)), err_(GetStdHandle(STD_ERROR_HANDLE)) {}

void Win32ConsoleHost::writeData(std::string_view text) { writeStandard(out_, text); }

bool Win32ConsoleHost::dataIsFile() {
  return out_ && out_ != INVALID_HANDLE_VALUE && GetFileType(out_) == FILE_TYPE_DISK;
}

void Win32ConsoleHost::writeMessage(std::string_view text) {
  std::string line(text);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  writeStandard(err_, line + "\r\n");
}

bool Win32ConsoleHost::writeFile(const std::string& path, std::string_view bytes) {
  return writeFileAtomically(path, bytes) == FileWrite::Written;
}

std::optional<std::string> Win32ConsoleHost::readFile(const std::string& path) { return readFileBytes(path); }

std::optional<std::vector<XmlFields>> Win32ConsoleHost::readXmlListing(const std::string& path) {
  std::vector<XmlAttributes> elements;
  if (readXmlElements(path, L"entries", L"entry", elements) != XmlFileState::Loaded) return std::nullopt;
  return elements;
}

std::string Win32ConsoleHost::machine() {
  wchar_t name[256] = {};
  DWORD size = ARRAYSIZE(name);
  if (GetComputerNameExW(ComputerNameDnsHostname, name, &size)) return narrow(name);
  size = ARRAYSIZE(name);
  return GetComputerNameW(name, &size) ? narrow(name) : std::string();
}

std::string Win32ConsoleHost::user() {
  // DOMAIN\user: the same user name on two machines is two users.
  wchar_t name[512] = {};
  ULONG size = ARRAYSIZE(name);
  static const auto nameEx = systemFunction<decltype(&GetUserNameExW)>(L"secur32.dll", "GetUserNameExW");
  if (nameEx && nameEx(NameSamCompatible, name, &size)) return narrow(name);
  DWORD plain = ARRAYSIZE(name);
  return GetUserNameW(name, &plain) ? narrow(name) : std::string();
}

std::chrono::system_clock::time_point Win32ConsoleHost::now() { return std::chrono::system_clock::now(); }

std::vector<FolderName> Win32ConsoleHost::folderNames() {
  // The most particular first: the application data folders lie in the profile.
  std::vector<FolderName> names;
  const std::pair<std::wstring, const char*> folders[] = {{roamingAppDataFolder(), "%APPDATA%"},
                                                          {localAppDataFolder(), "%LOCALAPPDATA%"},
                                                          {profileFolder(), "%USERPROFILE%"},
                                                          {programDataFolder(), "%ProgramData%"}};
  for (const auto& [folder, name] : folders) {
    if (!folder.empty()) names.push_back({narrow(folder), name});
  }
  return names;
}

std::optional<std::string> Win32ConsoleHost::sha256(const std::string& path) {
  const FileHandle file(CreateFileW(widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;
  static const Bcrypt api;
  if (!api.complete()) return std::nullopt;
  const Algorithm algorithm(api);
  if (!algorithm.handle) return std::nullopt;
  const Hash hash(api, algorithm.handle);
  if (!hash.handle) return std::nullopt;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    if (!BCRYPT_SUCCESS(api.data(hash.handle, buffer.data(), read, 0))) return std::nullopt;
  }
  unsigned char digest[32] = {};
  if (!BCRYPT_SUCCESS(api.finish(hash.handle, digest, sizeof digest, 0))) return std::nullopt;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char b : digest) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0xF];
  }
  return hex;
}

bool Win32ConsoleHost::stopAsked() { return stopWanted; }

void Win32ConsoleHost::finishChangesOnStop() { SetConsoleCtrlHandler(&onConsoleEvent, TRUE); }

}  // namespace velmora::win32
