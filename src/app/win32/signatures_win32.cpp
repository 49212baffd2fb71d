#include "app/win32/signatures_win32.h"

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
#include <mscat.h>

#include <optional>
#include <type_traits>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/system_function.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

// Every function of the check, none imported: wintrust.dll is loaded only
// when the first signature is checked, and an older Windows (or Wine) that
// lacks one of them still runs the program.
struct Trust {
  decltype(&WinVerifyTrust) verifyTrust;
  decltype(&WTHelperProvDataFromStateData) providerData;
  decltype(&WTHelperGetProvSignerFromChain) signerFromChain;
  decltype(&CryptCATAdminAcquireContext) acquire;
  decltype(&CryptCATAdminAcquireContext2) acquire2;
  decltype(&CryptCATAdminCalcHashFromFileHandle) hash;
  decltype(&CryptCATAdminCalcHashFromFileHandle2) hash2;
  decltype(&CryptCATAdminEnumCatalogFromHash) catalogFromHash;
  decltype(&CryptCATCatalogInfoFromContext) catalogInfo;
  decltype(&CryptCATAdminReleaseCatalogContext) releaseCatalog;
  decltype(&CryptCATAdminReleaseContext) release;
  decltype(&CertGetNameStringW) certName;
};

const Trust& trust() {
  static const Trust t = [] {
    Trust r{};
    const auto find = [](auto& to, const wchar_t* library, const char* name) {
      to = systemFunction<std::decay_t<decltype(to)>>(library, name);
    };
    const wchar_t* w = L"wintrust.dll";
    find(r.verifyTrust, w, "WinVerifyTrust");
    find(r.providerData, w, "WTHelperProvDataFromStateData");
    find(r.signerFromChain, w, "WTHelperGetProvSignerFromChain");
    find(r.acquire, w, "CryptCATAdminAcquireContext");
    find(r.acquire2, w, "CryptCATAdminAcquireContext2");
    find(r.hash, w, "CryptCATAdminCalcHashFromFileHandle");
    find(r.hash2, w, "CryptCATAdminCalcHashFromFileHandle2");
    find(r.catalogFromHash, w, "CryptCATAdminEnumCatalogFromHash");
    find(r.catalogInfo, w, "CryptCATCatalogInfoFromContext");
    find(r.releaseCatalog, w, "CryptCATAdminReleaseCatalogContext");
    find(r.release, w, "CryptCATAdminReleaseContext");
    find(r.certName, L"crypt32.dll", "CertGetNameStringW");
    return r;
  }();
  return t;
}

// The display name of the verified signature's signer certificate.
std::string signerName(const Trust& t, HANDLE state) {
  if (!t.providerData || !t.signerFromChain || !t.certName) return {};
  CRYPT_PROVIDER_DATA* data = t.providerData(state);
  CRYPT_PROVIDER_SGNR* signer = data ? t.signerFromChain(data, 0, FALSE, 0) : nullptr;
  if (!signer || signer->csCertChain == 0 || !signer->pasCertChain || !signer->pasCertChain[0].pCert) return {};
  PCCERT_CONTEXT cert = signer->pasCertChain[0].pCert;
  const DWORD n = t.certName(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (n <= 1) return {};
  std::wstring name(n, L'\0');
  t.certName(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), n);
  name.resize(n - 1);
  return narrow(name);
}

// WinVerifyTrust on what `data` names, with the signer's name when it
// holds. Never on the network, never with UI.
LONG verifyOffline(const Trust& t, WINTRUST_DATA& data, std::string& signer) {
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const HWND noUi = static_cast<HWND>(INVALID_HANDLE_VALUE);
  const LONG status = t.verifyTrust(noUi, &action, &data);
  if (status == ERROR_SUCCESS) signer = signerName(t, data.hWVTStateData);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  t.verifyTrust(noUi, &action, &data);
  return status;
}

// The portable table names Windows' own statuses.
static_assert(trust_status::kNoSignature == static_cast<std::uint32_t>(TRUST_E_NOSIGNATURE));
static_assert(trust_status::kSubjectFormUnknown == static_cast<std::uint32_t>(TRUST_E_SUBJECT_FORM_UNKNOWN));
static_assert(trust_status::kProviderUnknown == static_cast<std::uint32_t>(TRUST_E_PROVIDER_UNKNOWN));
static_assert(trust_status::kBadDigest == static_cast<std::uint32_t>(TRUST_E_BAD_DIGEST));
static_assert(trust_status::kCertSignature == static_cast<std::uint32_t>(TRUST_E_CERT_SIGNATURE));
static_assert(trust_status::kHashValue == static_cast<std::uint32_t>(CRYPT_E_HASH_VALUE));
static_assert(trust_status::kRevoked == static_cast<std::uint32_t>(CERT_E_REVOKED));
static_assert(trust_status::kExplicitDistrust == static_cast<std::uint32_t>(TRUST_E_EXPLICIT_DISTRUST));
static_assert(trust_status::kUntrustedRoot == static_cast<std::uint32_t>(CERT_E_UNTRUSTEDROOT));
static_assert(trust_status::kChaining == static_cast<std::uint32_t>(CERT_E_CHAINING));
static_assert(trust_status::kRevocationOffline == static_cast<std::uint32_t>(CRYPT_E_REVOCATION_OFFLINE));
static_assert(trust_status::kNoRevocationCheck == static_cast<std::uint32_t>(CRYPT_E_NO_REVOCATION_CHECK));
static_assert(trust_status::kRevocationFailure == static_cast<std::uint32_t>(CERT_E_REVOCATION_FAILURE));
static_assert(trust_status::kExpired == static_cast<std::uint32_t>(CERT_E_EXPIRED));
static_assert(trust_status::kUntrustedTestRoot == static_cast<std::uint32_t>(CERT_E_UNTRUSTEDTESTROOT));
static_assert(trust_status::kTrustFailure == static_cast<std::uint32_t>(TRUST_E_FAIL));

FileSignature judged(LONG status, std::string signer) {
  const SignatureVerdict verdict = verdictOfTrustStatus(static_cast<std::uint32_t>(status));
  return {verdict, verdict == SignatureVerdict::Verified ? std::move(signer) : std::string()};
}

// The file's signature through the catalogs that hash files with SHA-256
// (`sha256`) or SHA-1; nothing when none lists the file, or the functions
// for that hash are missing.
std::optional<FileSignature> lookInCatalogs(const Trust& t, const std::wstring& path, HANDLE file, bool sha256) {
  GUID driverAction = DRIVER_ACTION_VERIFY;
  HCATADMIN admin = nullptr;
  const bool acquired = sha256 ? t.acquire2 && t.hash2 && t.acquire2(&admin, &driverAction, L"SHA256", nullptr, 0)
                               : t.acquire && t.hash && t.acquire(&admin, &driverAction, 0);
  if (!acquired) return std::nullopt;
  std::optional<FileSignature> result;
  std::vector<BYTE> hash(64);
  DWORD size = static_cast<DWORD>(hash.size());
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  const BOOL hashed = sha256 ? t.hash2(admin, file, &size, hash.data(), 0) : t.hash(file, &size, hash.data(), 0);
  HCATINFO catalog = hashed ? t.catalogFromHash(admin, hash.data(), size, 0, nullptr) : nullptr;
  if (catalog) {
    CATALOG_INFO info{};
    info.cbStruct = sizeof info;
    if (t.catalogInfo(catalog, &info, 0)) {
      // The catalog names its members by their hash in upper-case hex.
      std::wstring tag;
      static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
      for (DWORD i = 0; i < size; ++i) {
        tag += kHex[hash[i] >> 4];
        tag += kHex[hash[i] & 0xF];
      }
      WINTRUST_CATALOG_INFO member{};
      member.cbStruct = sizeof member;
      member.pcwszCatalogFilePath = info.wszCatalogFile;
      member.pcwszMemberTag = tag.c_str();
      member.pcwszMemberFilePath = path.c_str();
      member.hMemberFile = file;
      member.pbCalculatedFileHash = hash.data();
      member.cbCalculatedFileHash = size;
#if NTDDI_VERSION >= NTDDI_WIN8
      member.hCatAdmin = sha256 ? admin : nullptr;
#endif
      WINTRUST_DATA data{};
      data.dwUnionChoice = WTD_CHOICE_CATALOG;
      data.pCatalog = &member;
      std::string signer;
      const LONG status = verifyOffline(t, data, signer);
      // A catalog that lists the file has signed it: its own answer is the file's.
      result = judged(status, std::move(signer));
      if (result->verdict == SignatureVerdict::Unsigned) result = FileSignature{SignatureVerdict::Unverified, {}};
    }
    t.releaseCatalog(admin, catalog, 0);
  }
  t.release(admin, 0);
  return result;
}

// The file's signature through the system's catalogs: Unsigned when none
// lists its hash (or there are no catalog functions). Windows 8 on keeps
// SHA-256 catalogs; older systems, and some catalogs still, SHA-1.
FileSignature verifyByCatalog(const Trust& t, const std::wstring& path, HANDLE file) {
  if (!t.catalogFromHash || !t.catalogInfo || !t.releaseCatalog || !t.release) return {SignatureVerdict::Unsigned, {}};
  for (const bool sha256 : {true, false}) {
    if (auto found = lookInCatalogs(t, path, file, sha256)) return *found;
  }
  return {SignatureVerdict::Unsigned, {}};
}

}  // namespace

std::optional<FileStamp> Win32Signatures::stamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &info)) return std::nullopt;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  const auto wide64 = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
  return FileStamp{wide64(info.nFileSizeHigh, info.nFileSizeLow),
                   wide64(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
}

FileSignature Win32Signatures::verify(const std::string& path) {
  const Trust& t = trust();
  if (!t.verifyTrust) return {};
  const std::wstring wpath = widen(path);
  const FileHandle file(CreateFileW(wpath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  WINTRUST_FILE_INFO subject{};
  subject.cbStruct = sizeof subject;
  subject.pcwszFilePath = wpath.c_str();
  subject.hFile = file.get();
  WINTRUST_DATA data{};
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &subject;
  std::string signer;
  const LONG status = verifyOffline(t, data, signer);
  FileSignature embedded = judged(status, std::move(signer));
  if (embedded.verdict != SignatureVerdict::Unsigned) return embedded;
  return verifyByCatalog(t, wpath, file.get());
}

}  // namespace velmora::win32
