#pragma once
// Who signed a row's program file: its Authenticode signature, embedded or
// through the system's catalogs, checked without going on the network.
// Checking costs (a file hash, a certificate chain), so the answers are kept
// for the session and asked again only when the file changed.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

enum class SignatureVerdict {
  Verified,    // the signature holds; `signer` names who signed
  Unsigned,    // no embedded signature and no catalog that lists the file
  Invalid,     // broken: the file changed after signing, or its certificate was revoked or distrusted
  Unknown,     // the check itself could not be made (no trust provider)
  Unverified,  // signed, but not verifiable offline: no chain to a root Windows has, no revocation data, an
               // expired certificate; nothing says the file is not what was signed
};

// What Windows' answer to a signature check (a WinVerifyTrust status)
// says of a file. Only what shows the signature broken, or its signer
// disowned, is Invalid; a check that could not be completed offline is
// Unverified; "no signature" statuses are Unsigned.
SignatureVerdict verdictOfTrustStatus(std::uint32_t status);

// The statuses the table above names (they are Windows' HRESULTs).
namespace trust_status {
inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kNoSignature = 0x800B0100;          // TRUST_E_NOSIGNATURE
inline constexpr std::uint32_t kSubjectFormUnknown = 0x800B0003;   // TRUST_E_SUBJECT_FORM_UNKNOWN
inline constexpr std::uint32_t kProviderUnknown = 0x800B0001;      // TRUST_E_PROVIDER_UNKNOWN
inline constexpr std::uint32_t kBadDigest = 0x80096010;            // TRUST_E_BAD_DIGEST
inline constexpr std::uint32_t kCertSignature = 0x80096004;        // TRUST_E_CERT_SIGNATURE
inline constexpr std::uint32_t kHashValue = 0x80091007;            // CRYPT_E_HASH_VALUE
inline constexpr std::uint32_t kRevoked = 0x800B010C;              // CERT_E_REVOKED
inline constexpr std::uint32_t kExplicitDistrust = 0x800B0111;     // TRUST_E_EXPLICIT_DISTRUST
inline constexpr std::uint32_t kUntrustedRoot = 0x800B0109;        // CERT_E_UNTRUSTEDROOT
inline constexpr std::uint32_t kChaining = 0x800B010A;             // CERT_E_CHAINING
inline constexpr std::uint32_t kRevocationOffline = 0x80092013;    // CRYPT_E_REVOCATION_OFFLINE
inline constexpr std::uint32_t kNoRevocationCheck = 0x80092012;    // CRYPT_E_NO_REVOCATION_CHECK
inline constexpr std::uint32_t kRevocationFailure = 0x800B010E;    // CERT_E_REVOCATION_FAILURE
inline constexpr std::uint32_t kExpired = 0x800B0101;              // CERT_E_EXPIRED
inline constexpr std::uint32_t kUntrustedTestRoot = 0x800B010D;    // CERT_E_UNTRUSTEDTESTROOT
inline constexpr std::uint32_t kTrustFailure = 0x800B010B;         // TRUST_E_FAIL
}  // namespace trust_status

struct FileSignature {
  SignatureVerdict verdict = SignatureVerdict::Unknown;
  std::string signer;  // only for Verified
  bool operator==(const FileSignature&) const = default;
};

// What tells one version of a file from another without reading it.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;
  bool operator==(const FileStamp&) const = default;
};

// What the check needs of Windows.
class SignatureCheck {
 public:
  SignatureCheck() = default;
  SignatureCheck(const SignatureCheck&) = delete;
  SignatureCheck& operator=(const SignatureCheck&) = delete;
  virtual ~SignatureCheck() = default;

  // The file's size and last write time; nothing when it cannot be read.
  [[nodiscard]] virtual std::optional<FileStamp> stamp(const std::string& path) = 0;
  // The file's signature as Windows judges it now, offline.
  [[nodiscard]] virtual FileSignature verify(const std::string& path) = 0;
};

// Whether Windows itself (Microsoft) signed a file: the signature verified
// and its signer's name is "Microsoft" followed by a blank and more
// ("Microsoft Windows", "Microsoft Corporation", "Microsoft Windows
// Publisher"), spelt as Microsoft's certificates spell it. A name that only
// begins with the letters ("Microsoftware Ltd") or spells it otherwise is
// someone else's; an unverified one is no one's.
bool signedByMicrosoft(const FileSignature& signature);

// Whether a verified signer's name is Windows' own: "Microsoft Windows" (or
// "Microsoft Windows Publisher", which signs Windows' own components too),
// as opposed to Microsoft's other products ("Microsoft Corporation").
// What such a file starts is part of Windows.
bool windowsItselfSigned(std::string_view verifiedSigner);

struct Row;
class Translator;
// Whether a described row starts part of Windows (its program verified as
// Windows' own), and the question asked before it is switched off, in the
// window and in velmorac alike: none when it is no part of Windows.
std::optional<std::string> partOfWindowsQuestion(const Row& described, const Translator& translator);

// The answers of one session: a file is checked again only when its path,
// size or write time is new. Paths ignore case, as Windows' do. Safe to use
// from several threads; one file is checked by one at a time.
class SignatureMemory {
 public:
  explicit SignatureMemory(SignatureCheck& check) : check_(check) {}
  SignatureMemory(const SignatureMemory&) = delete;
  SignatureMemory& operator=(const SignatureMemory&) = delete;

  // Nothing when the file cannot be read (gone since it was found).
  [[nodiscard]] std::optional<FileSignature> signatureOf(const std::string& path);

 private:
  struct Known {
    FileStamp stamp;
    FileSignature signature;
  };
  SignatureCheck& check_;
  std::mutex mutex_;
  std::map<std::string, Known> known_;
};

}  // namespace velmora
