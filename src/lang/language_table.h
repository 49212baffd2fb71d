#pragma once
// The process-wide translator: every text shown to the user is a language
// key looked up in the language file beside the program.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "lang/profile.h"

namespace velmora {

class Translator {
 public:
  virtual ~Translator() = default;
  // The key's text, or the key itself when the file lacks it or its text is
  // empty. With convertEscapes, "\r" and "\n" become line breaks.
  virtual std::string translate(std::string_view key, bool convertEscapes = false) const = 0;
};

// "\r" becomes a carriage return, then "\n" a line feed.
std::string unescape(std::string_view text);

// The longest text a lookup gives, in UTF-16 units; longer texts are cut.
constexpr std::size_t kMaxTranslationUnits = 65534;

class LanguageTable : public Translator {
 public:
  using FileReader = std::function<std::optional<std::string>(const std::string& path)>;

  LanguageTable(FileReader reader, LegacyDecoder legacy);

  void setFile(std::string path) { path_ = std::move(path); }
  const std::string& file() const { return path_; }

  // Reads the file anew on every lookup, so an edited file takes effect for
  // every window opened after the edit.
  std::string translate(std::string_view key, bool convertEscapes = false) const override;

 private:
  FileReader reader_;
  LegacyDecoder legacy_;
  std::string path_;
};

}  // namespace velmora
