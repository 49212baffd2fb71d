#include "family/file_signature.h"

#include "core/format.h"
#include "core/text.h"
#include "family/entry.h"
#include "lang/language_table.h"

namespace velmora {

SignatureVerdict verdictOfTrustStatus(std::uint32_t status) {
  using namespace trust_status;
  switch (status) {
    case kSuccess: return SignatureVerdict::Verified;
    case kNoSignature:
    case kSubjectFormUnknown:
    case kProviderUnknown: return SignatureVerdict::Unsigned;
    // The bytes are not what was signed, or whoever vouched for the signer
    // took it back.
    case kBadDigest:
    case kCertSignature:
    case kHashValue:
    case kRevoked:
    case kExplicitDistrust: return SignatureVerdict::Invalid;
    // Anything else (a root not downloaded, no revocation data offline, an
    // expired certificate, a chain that could not be built) leaves the
    // signature unproven, not broken: saying "not valid" of a sound file
    // would cry wolf.
    default: return SignatureVerdict::Unverified;
  }
}

bool signedByMicrosoft(const FileSignature& signature) {
  constexpr std::string_view kPrefix = "Microsoft ";
  return signature.verdict == SignatureVerdict::Verified && signature.signer.size() > kPrefix.size() &&
         std::string_view(signature.signer).substr(0, kPrefix.size()) == kPrefix;
}

bool windowsItselfSigned(std::string_view verifiedSigner) {
  return verifiedSigner == "Microsoft Windows" || verifiedSigner == "Microsoft Windows Publisher";
}

std::optional<std::string> partOfWindowsQuestion(const Row& described, const Translator& translator) {
  if (!described.signedByMicrosoft || !windowsItselfSigned(described.signedBy)) return std::nullopt;
  return safeFormat(translator.translate("_DisableWindowsPart", Escapes::Convert), {described.name, described.signedBy});
}

std::optional<FileSignature> SignatureMemory::signatureOf(const std::string& path) {
  const std::optional<FileStamp> stamp = check_.stamp(path);
  if (!stamp) return std::nullopt;
  const std::lock_guard lock(mutex_);
  std::string key = foldedIgnoreCase(path);
  auto it = known_.find(key);
  if (it != known_.end() && it->second.stamp == *stamp) return it->second.signature;
  // A file replaced or rewritten since is checked again; its old answer goes.
  Known fresh{*stamp, check_.verify(path)};
  if (it != known_.end()) {
    it->second = std::move(fresh);
  } else {
    it = known_.emplace(std::move(key), std::move(fresh)).first;
  }
  return it->second.signature;
}

}  // namespace velmora
