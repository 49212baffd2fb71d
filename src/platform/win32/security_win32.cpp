#include "platform/win32/security_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

// What the machine's data folder gets: owned by the administrators, they and
// SYSTEM in full control, users reading, inherited by everything inside and
// nothing inherited from above.
constexpr const wchar_t* kMachineFolderRights =
    L"O:BAG:SYD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// Files and folders in the data folders, or set aside from them.
constexpr const wchar_t* kSetAside = L".not-trusted";

struct LocalFreer {
  void operator()(void* p) const { LocalFree(p); }
};
template <class T>
using LocalPtr = std::unique_ptr<T, LocalFreer>;

KernelHandle processToken() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &raw)) return KernelHandle();
  return KernelHandle(raw);
}

std::string sidText(PSID sid) {
  LPWSTR text = nullptr;
  if (!sid || !ConvertSidToStringSidW(sid, &text)) return {};
  const LocalPtr<wchar_t> owned(text);
  return narrow(text);
}

// The token's user, as a buffer that holds a TOKEN_USER.
std::vector<BYTE> tokenUser(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  return buffer;
}

// Whether `token` holds the Administrators group, enabled.
bool holdsAdministrators(HANDLE token) {
  // CheckTokenMembership wants an impersonation token.
  HANDLE raw = nullptr;
  if (!DuplicateToken(token, SecurityIdentification, &raw)) return false;
  const KernelHandle check(raw);
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  BOOL member = FALSE;
  return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) &&
         CheckTokenMembership(check.get(), sid, &member) && member;
}

TOKEN_ELEVATION_TYPE elevationType(HANDLE token) {
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size)) return TokenElevationTypeDefault;
  return type;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool endsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Sets aside what someone other than an administrator could have written,
// and goes down into the folders that stay.
void setAsideUntrusted(const std::wstring& folder, const std::vector<std::string>& administrators) {
  WIN32_FIND_DATAW found{};
  const FindHandle find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                         nullptr, 0));
  if (!find) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L".." || endsWith(name, kSetAside)) continue;
    const std::wstring path = folder + L"\\" + name;
    const auto security = readSecurity(narrow(path));
    if (!security || judgeRights(*security, administrators) != RightsVerdict::AdminOnly) {
      (void)MoveFileExW(path.c_str(), (path + kSetAside).c_str(), MOVEFILE_REPLACE_EXISTING);
    } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      setAsideUntrusted(path, administrators);
    }
  } while (FindNextFileW(find.get(), &found));
}

}  // namespace

bool runsElevated() {
  const KernelHandle token = processToken();
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return token && GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

bool alwaysAdministrator() {
  const KernelHandle token = processToken();
  if (!token) return false;
  // An elevated token of a split pair: the everyday one is its linked token.
  if (elevationType(token.get()) == TokenElevationTypeFull) {
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenLinkedToken, &linked, sizeof linked, &size)) return false;
    const KernelHandle everyday(linked.LinkedToken);
    return holdsAdministrators(everyday.get());
  }
  return holdsAdministrators(token.get());
}

bool elevationRunsAsAnotherAccount() {
  const KernelHandle token = processToken();
  // A split token elevates as the same account; an unsplit one that is no
  // administrator can only borrow another account's rights.
  return token && elevationType(token.get()) == TokenElevationTypeDefault && !holdsAdministrators(token.get());
}

std::vector<std::string> currentAccountNames() {
  const KernelHandle token = processToken();
  if (!token) return {};
  const std::vector<BYTE> user = tokenUser(token.get());
  if (user.empty()) return {};
  PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
  std::vector<std::string> names{sidText(sid)};
  wchar_t name[256] = {}, domain[256] = {};
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use{};
  if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
    if (domain[0] != L'\0') names.push_back(narrow(std::wstring(domain) + L"\\" + name));
    names.push_back(narrow(name));
  }
  return names;
}

std::vector<std::string> administratorSids() {
  std::vector<std::string> sids = wellKnownAdministrators();
  if (alwaysAdministrator()) {
    const std::vector<std::string> names = currentAccountNames();
    if (!names.empty() && !names.front().empty()) sids.push_back(names.front());
  }
  return sids;
}

std::optional<SecurityInfo> readSecurity(const std::string& path) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR raw = nullptr;
  if (GetNamedSecurityInfoW(widen(path).c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            &owner, nullptr, &dacl, nullptr, &raw) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const LocalPtr<void> descriptor(raw);
  SecurityInfo info;
  info.owner = sidText(owner);
  info.hasDacl = dacl != nullptr;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) return std::nullopt;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    AccessEntry entry;
    entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
      const auto* plain = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
      entry.allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
      entry.mask = plain->Mask;
      entry.sid = sidText(const_cast<DWORD*>(&plain->SidStart));
    } else if (header->AceType == ACCESS_ALLOWED_OBJECT_ACE_TYPE ||
               header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE ||
               header->AceType == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE) {
      // Granted on conditions Velmora cannot judge: taken as granted to
      // anyone (the mask sits where it does in every allow entry).
      entry.mask = static_cast<const ACCESS_ALLOWED_ACE*>(ace)->Mask;
      entry.sid = "S-1-1-0";
    } else {
      continue;  // denials and audits only take away
    }
    info.entries.push_back(std::move(entry));
  }
  return info;
}

RightsVerdict folderRights(const std::string& folder, const std::vector<std::string>& inside) {
  const std::vector<std::string> administrators = administratorSids();
  const auto judge = [&](const std::string& path) {
    const auto security = readSecurity(path);
    return security ? judgeRights(*security, administrators) : RightsVerdict::OwnerNotAdministrator;
  };
  if (const RightsVerdict v = judge(folder); v != RightsVerdict::AdminOnly) return v;
  for (const std::string& name : inside) {
    const std::string path = folder + "\\" + name;
    if (!exists(widen(path))) continue;
    if (const RightsVerdict v = judge(path); v != RightsVerdict::AdminOnly) return v;
  }
  return RightsVerdict::AdminOnly;
}

bool prepareMachineFolder(const std::string& folder) {
  PSECURITY_DESCRIPTOR raw = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kMachineFolderRights, SDDL_REVISION_1, &raw, nullptr)) {
    return false;
  }
  const LocalPtr<void> descriptor(raw);
  const std::wstring path = widen(folder);
  if (!exists(path)) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, raw, FALSE};
    if (!CreateDirectoryW(path.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  } else {
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    if (!GetSecurityDescriptorDacl(raw, &present, &dacl, &defaulted) ||
        !GetSecurityDescriptorOwner(raw, &owner, &defaulted)) {
      return false;
    }
    // A folder someone made first keeps its owner and rights unless they
    // are set; what it holds inherits the new ones.
    if (SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                  PROTECTED_DACL_SECURITY_INFORMATION,
                              owner, nullptr, dacl, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    setAsideUntrusted(path, administratorSids());
  }
  return folderRights(folder) == RightsVerdict::AdminOnly;
}

}  // namespace velmora::win32
