#pragma once
// A file's version resource, read once and queried for its texts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::win32 {

struct VersionTranslation {
  std::uint16_t language = 0;
  std::uint16_t codePage = 0;
};

class VersionResource {
 public:
  // Nothing when the file has no version resource or cannot be read.
  static std::optional<VersionResource> load(const std::string& path);
  // The running program's own, from its loaded image: no file is read.
  static std::optional<VersionResource> ofThisProgram();

  // The entries of "\VarFileInfo\Translation", in order; none when the
  // table is missing or shorter than one entry.
  std::vector<VersionTranslation> translations() const;
  // One text of one translation's string table; nothing when absent.
  std::optional<std::string> text(VersionTranslation translation, std::string_view key) const;

 private:
  std::vector<unsigned char> block_;
};

// A text of the first translation, or empty text: how the program reads a
// file's company name, and its own product name and version.
std::string firstTranslationText(const std::optional<VersionResource>& resource, std::string_view key);
std::string firstTranslationText(const std::string& path, std::string_view key);

}  // namespace velmora::win32
