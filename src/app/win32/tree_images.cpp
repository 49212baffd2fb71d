#include "app/win32/tree_images.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/masked_image.h"
#include "main_frame_res.h"

namespace velmora::win32 {

namespace {

constexpr Rgb kMask{0, 255, 0};

// A 32-bit top-down DIB header of `width` × `height`.
BITMAPINFO topDown(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The strip's pixels; empty when they cannot be read.
MaskedImage readStrip(HBITMAP strip) {
  BITMAP facts{};
  if (!GetObjectW(strip, sizeof facts, &facts) || facts.bmWidth <= 0 || facts.bmHeight <= 0) return {};
  BITMAPINFO info = topDown(facts.bmWidth, facts.bmHeight);
  std::vector<std::uint32_t> bits(static_cast<std::size_t>(facts.bmWidth) * static_cast<std::size_t>(facts.bmHeight));
  const WindowDc screen(nullptr);
  if (GetDIBits(screen.get(), strip, 0, static_cast<UINT>(facts.bmHeight), bits.data(), &info, DIB_RGB_COLORS) !=
      facts.bmHeight) {
    return {};
  }
  MaskedImage image{facts.bmWidth, facts.bmHeight, {}};
  image.pixels.reserve(bits.size());
  for (std::uint32_t p : bits) {
    image.pixels.push_back(Rgb{static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                               static_cast<std::uint8_t>(p)});
  }
  return image;
}

// A bitmap of `image`'s pixels; empty on failure.
BitmapHandle toBitmap(const MaskedImage& image) {
  const BITMAPINFO info = topDown(image.width, image.height);
  void* bits = nullptr;
  BitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  auto* out = static_cast<std::uint32_t*>(bits);
  for (const Rgb& p : image.pixels) {
    *out++ = (static_cast<std::uint32_t>(p.red) << 16) | (static_cast<std::uint32_t>(p.green) << 8) | p.blue;
  }
  GdiFlush();
  return bitmap;
}

}  // namespace

ImageListHandle makeTreeImages(HINSTANCE instance, int size) {
  if (size <= 0) return {};
  const BitmapHandle strip(static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDB_TREEIMAGES), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!strip) return {};
  const MaskedImage source = readStrip(strip.get());
  if (source.pixels.empty()) return {};
  const int count = source.width / kTreeImageSize;
  const MaskedImage scaled = scaleMasked(source, kMask, count * size, size);
  const BitmapHandle bitmap = toBitmap(scaled);
  if (!bitmap) return {};
  ImageListHandle images(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, count, 0));
  if (!images || ImageList_AddMasked(images.get(), bitmap.get(), RGB(kMask.red, kMask.green, kMask.blue)) < 0) return {};
  return images;
}

}  // namespace velmora::win32
