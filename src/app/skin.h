#pragma once
// The skin file (base name + ".smf"): an INI file that names a few colours
// per skin object. A window asks its object for a colour and keeps the
// system's own when there is none.
//
//   [Skin]
//   Name=Velmora Blue
//   [MainFrame]
//   Splitter=#C9D3E0
//   [Dialog]
//   Background=240,243,247
#include <optional>
#include <string>
#include <string_view>

#include "core/colour.h"
#include "lang/profile.h"

namespace velmora {

// "#RRGGBB" or "R,G,B" (decimal, 0 to 255, blanks allowed); nothing else.
std::optional<Rgb> parseColour(std::string_view text);

class Skin {
 public:
  // The skin in a file's bytes; nothing when the text is not a skin (it has
  // no [Skin] section), so that the system look stays.
  static std::optional<Skin> parse(std::string_view bytes, const LegacyDecoder& legacy);

  const std::string& name() const { return name_; }
  // A colour of a skin object ("MainFrame", "Dialog"); nothing when the file
  // does not give one or gives one that cannot be read.
  std::optional<Rgb> colour(std::string_view object, std::string_view key) const;

 private:
  std::string text_;
  std::string name_;
};

}  // namespace velmora
