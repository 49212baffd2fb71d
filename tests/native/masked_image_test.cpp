#include <gtest/gtest.h>

#include "app/masked_image.h"

namespace velmora {
namespace {

constexpr Rgb kKey{0, 255, 0};
constexpr Rgb kRed{200, 0, 0};
constexpr Rgb kBlue{0, 0, 200};

// An image from rows of letters: '.' the key, 'r' red, 'b' blue.
MaskedImage image(const std::vector<std::string>& rows) {
  MaskedImage out;
  out.height = static_cast<int>(rows.size());
  out.width = static_cast<int>(rows.front().size());
  for (const std::string& row : rows) {
    for (char c : row) out.pixels.push_back(c == 'r' ? kRed : c == 'b' ? kBlue : kKey);
  }
  return out;
}

Rgb at(const MaskedImage& m, int x, int y) { return m.pixels[static_cast<std::size_t>(y * m.width + x)]; }

TEST(MaskedImageScale, SameSizeAndWholeMultiplesKeepEveryPixel) {
  const MaskedImage source = image({"r.b", ".rb"});
  const MaskedImage same = scaleMasked(source, kKey, 3, 2);
  EXPECT_EQ(same.pixels, source.pixels);

  const MaskedImage doubled = scaleMasked(source, kKey, 6, 4);
  ASSERT_EQ(doubled.pixels.size(), 24u);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(at(doubled, x, y), at(source, x / 2, y / 2)) << x << "," << y;
  }
}

// The key is a mask, not a colour: a picture's edge never turns greenish,
// and what is mostly background stays background.
TEST(MaskedImageScale, TheKeyNeverBlendsIntoThePicture) {
  // 2 to 3: the middle new pixel covers half of each old one.
  const MaskedImage up = scaleMasked(image({"r.", "r."}), kKey, 3, 3);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(at(up, 0, y), kRed);
    EXPECT_EQ(at(up, 1, y), kRed) << "half shown is shown, in the picture's own colour";
    EXPECT_EQ(at(up, 2, y), kKey);
  }
  // 4 to 1: one red pixel of four is mostly background.
  EXPECT_EQ(scaleMasked(image({"r...", }), kKey, 1, 1).pixels[0], kKey);
  EXPECT_EQ(scaleMasked(image({"rr..", }), kKey, 1, 1).pixels[0], kRed);
  // Two colours mix among themselves only.
  const Rgb mixed = scaleMasked(image({"rb."}), kKey, 1, 1).pixels[0];
  EXPECT_EQ(mixed, (Rgb{100, 0, 100}));
}

// The images of a strip stay apart: a new pixel at the edge of one image
// takes nothing from the next.
TEST(MaskedImageScale, ImagesOfAStripDoNotBleedIntoEachOther) {
  // Two 2-pixel images, red and blue, at 1.5 times: 3 pixels each.
  const MaskedImage strip = scaleMasked(image({"rrbb", "rrbb"}), kKey, 6, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(at(strip, x, y), kRed) << x << "," << y;
    for (int x = 3; x < 6; ++x) EXPECT_EQ(at(strip, x, y), kBlue) << x << "," << y;
  }
}

TEST(MaskedImageScale, AShownPixelNeverComesOutAsTheKey) {
  // Two shown colours whose average is the key exactly.
  const Rgb key{10, 20, 30};
  const MaskedImage source{2, 1, {Rgb{10, 20, 29}, Rgb{10, 20, 31}}};
  EXPECT_EQ(scaleMasked(source, key, 1, 1).pixels[0], (Rgb{10, 19, 30}));
  const Rgb black{0, 0, 0};
  EXPECT_EQ(scaleMasked(MaskedImage{2, 1, {Rgb{0, 0, 1}, Rgb{0, 0, 0}}}, black, 1, 1).pixels[0], (Rgb{0, 0, 1}))
      << "half shown is shown";
  EXPECT_EQ(scaleMasked(MaskedImage{2, 1, {Rgb{0, 0, 1}, Rgb{0, 0, 1}}}, Rgb{0, 0, 1}, 1, 1).pixels[0], (Rgb{0, 0, 1}))
      << "all key stays key";
}

TEST(MaskedImageScale, EmptyOrShortSourcesGiveBackgroundAndBadSizesNothing) {
  EXPECT_EQ(scaleMasked(MaskedImage{}, kKey, 2, 2).pixels, std::vector<Rgb>(4, kKey));
  EXPECT_EQ(scaleMasked(MaskedImage{2, 2, {kRed}}, kKey, 2, 2).pixels, std::vector<Rgb>(4, kKey))
      << "fewer pixels than its size says";
  EXPECT_TRUE(scaleMasked(image({"rr"}), kKey, 0, 3).pixels.empty());
  EXPECT_TRUE(scaleMasked(image({"rr"}), kKey, 3, -1).pixels.empty());
}

}  // namespace
}  // namespace velmora
