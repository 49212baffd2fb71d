#pragma once
// Images on a background of one colour that a mask makes see-through (the
// tree's image strip), scaled for screens of more pixels per inch without
// that colour bleeding into the pictures.
#include <vector>

#include "core/colour.h"

namespace velmora {

struct MaskedImage {
  int width = 0;
  int height = 0;
  // Row by row from the top; `key`-coloured pixels are see-through.
  std::vector<Rgb> pixels;
};

// `source` at `width` × `height`: every new pixel is the average of the
// shown pixels of the area it covers, weighted by how much of each it
// covers; it is see-through (`key`) when less than half of that area shows.
// A shown pixel that would come out in the key colour is moved one step off
// it, so the mask does not punch a hole in the picture. An image of no
// pixels gives an image all see-through; a size of zero or less, no pixels.
[[nodiscard]] MaskedImage scaleMasked(const MaskedImage& source, Rgb key, int width, int height);

}  // namespace velmora
