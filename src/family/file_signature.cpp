#include "family/file_signature.h"

#include "core/text.h"

namespace velmora {

bool signedByMicrosoft(const FileSignature& signature) {
  constexpr std::string_view kPrefix = "Microsoft ";
  return signature.verdict == SignatureVerdict::Verified && signature.signer.size() > kPrefix.size() &&
         std::string_view(signature.signer).substr(0, kPrefix.size()) == kPrefix;
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
