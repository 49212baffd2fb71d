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
  Verified,  // the signature holds; `signer` names who signed
  Unsigned,  // no embedded signature and no catalog that lists the file
  Invalid,   // a signature that does not hold (changed file, bad chain)
  Unknown,   // the check itself could not be made (no trust provider)
};

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
