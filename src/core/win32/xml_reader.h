#pragma once
// XmlLite's reader as every part uses it: the library loaded when first
// needed, and a reader that never processes a document type (no entity of
// a file's own making expands into what we read).
#include <windows.h>
#include <xmllite.h>

#include <cstddef>
#include <string_view>

#include "platform/win32/com_ptr.h"

namespace velmora::win32 {

inline constexpr IID kIidXmlReader = {0x7279FC81, 0x709D, 0x4095, {0xB6, 0x3D, 0x69, 0xFE, 0x4B, 0x0D, 0x90, 0x30}};
inline constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Null when XmlLite is not there.
ComPtr<IXmlReader> createXmlReader();

// Wine's XmlLite reads text that ends early otherwise than Windows' does,
// which refuses it. Cut inside character data, a comment, a CDATA section or
// an instruction, it hands out the same node again without end: every node
// starts at a character of its own, so more nodes than characters mean
// that. Cut after an end tag, it closes the elements still open: then the
// text holds fewer end tags than elements that need one. "</" is literally
// in end tags only, and in comments, CDATA sections and instructions, whose
// values tell how often. A reading loop tells this check what it reads.
class WholeTextCheck {
 public:
  // `text`: what the reader reads, in any code units ("</" is ASCII).
  template <class Char>
  explicit WholeTextCheck(std::basic_string_view<Char> text)
      : characters_(text.size()), endTags_(endTagsIn(text)) {}

  // For every node Read hands out: false once there are more nodes than
  // characters, when the reader is going round in circles.
  [[nodiscard]] bool node() { return ++nodes_ <= characters_; }
  // An element that is not empty, and so needs an end tag of its own.
  void openElement() { ++needingEndTags_; }
  // The value of a comment, CDATA section or instruction.
  void markupValue(std::wstring_view value) { notEndTags_ += endTagsIn(value); }
  // After Read answered S_FALSE: every element was closed by the text.
  [[nodiscard]] bool whole() const { return needingEndTags_ + notEndTags_ <= endTags_; }

  template <class Char>
  static std::size_t endTagsIn(std::basic_string_view<Char> text) {
    const Char pair[] = {Char('<'), Char('/')};
    std::size_t count = 0;
    for (std::size_t at = text.find(pair, 0, 2); at != text.npos; at = text.find(pair, at + 2, 2)) ++count;
    return count;
  }

 private:
  std::size_t characters_;
  std::size_t endTags_;
  std::size_t nodes_ = 0;
  std::size_t needingEndTags_ = 0;
  std::size_t notEndTags_ = 0;
};

}  // namespace velmora::win32
