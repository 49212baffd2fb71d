#pragma once
// The process-wide translator: every text shown to the user is a language
// key looked up in the language file beside the program.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "lang/profile.h"

namespace velmora {

// What a lookup does with the "\r" and "\n" the language file writes for
// line breaks: keep them as written, or turn them into line breaks.
enum class Escapes { Keep, Convert };

class Translator {
 public:
  virtual ~Translator() = default;
  // The key's text, or the key itself when the file lacks it or its text is
  // empty (a key is never unescaped).
  [[nodiscard]] virtual std::string translate(std::string_view key, Escapes escapes = Escapes::Keep) const = 0;
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
  [[nodiscard]] std::string translate(std::string_view key, Escapes escapes = Escapes::Keep) const override;

  // While one is held, the file is read once: the lookups that make one
  // window see one version of it, and opening a file costs more than the
  // lookup (start-up made 61 lookups, 11 ms of them opening the file under
  // Wine). Holds nest.
  class Hold {
   public:
    explicit Hold(const LanguageTable& table) : table_(table) { ++table_.holds_; }
    ~Hold() {
      if (--table_.holds_ == 0) table_.held_ = false;
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    const LanguageTable& table_;
  };

 private:
  FileReader reader_;
  LegacyDecoder legacy_;
  std::string path_;
  // The file is read for every lookup, so that an edited file counts at
  // once; decoding it again is spared while its bytes stay the same.
  mutable std::string lastBytes_;
  mutable std::string lastText_;
  mutable int holds_ = 0;
  mutable bool held_ = false;  // the last read counts until the holds end
};

}  // namespace velmora
