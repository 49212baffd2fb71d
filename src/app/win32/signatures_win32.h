#pragma once
#include "family/file_signature.h"

namespace velmora::win32 {

// Authenticode as Windows checks it: WinVerifyTrust (generic verify v2) on
// the file's embedded signature, else on the system catalog that lists the
// file's hash. Offline: no revocation check and no URL retrieval, no UI.
// wintrust.dll and crypt32.dll are looked up when first needed, each
// function by name, so a system that lacks one still starts the program;
// it then answers Unknown, or Unsigned when only the catalog functions are
// missing.
class Win32Signatures : public SignatureCheck {
 public:
  [[nodiscard]] std::optional<FileStamp> stamp(const std::string& path) override;
  [[nodiscard]] FileSignature verify(const std::string& path) override;
};

}  // namespace velmora::win32
