#pragma once
// Signatures as a test sets them: each file's stamp and what its check
// answers, with every check asked recorded. It stands in for what Wine
// cannot show: catalogs, Microsoft's signers, Windows refusing an unknown
// issuer.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/text.h"
#include "family/file_signature.h"

namespace velmora::testing {

class FakeSignatureCheck : public SignatureCheck {
 public:
  struct File {
    FileStamp stamp;
    FileSignature signature;
  };
  std::map<std::string, File> files;
  std::vector<std::string> checked;  // the paths verify was asked for, in order

  std::optional<FileStamp> stamp(const std::string& path) override {
    const File* f = find(path);
    return f ? std::optional<FileStamp>(f->stamp) : std::nullopt;
  }
  FileSignature verify(const std::string& path) override {
    checked.push_back(path);
    const File* f = find(path);
    return f ? f->signature : FileSignature{};
  }

 private:
  const File* find(const std::string& path) const {
    for (const auto& [name, file] : files) {
      if (equalsIgnoreCase(name, path)) return &file;
    }
    return nullptr;
  }
};

}  // namespace velmora::testing
