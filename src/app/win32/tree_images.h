#pragma once
// The category tree's images: one strip of 32-pixel squares on a green that
// the mask makes see-through, made into an image list of any square size.
#include <windows.h>

#include "platform/win32/handles.h"

namespace velmora::win32 {

// The strip's own size, at 96 DPI.
constexpr int kTreeImageSize = 32;

// An image list of the strip's images at `size` pixels a side, each scaled
// from the strip with its background kept see-through. Empty when the
// strip or the list cannot be made.
[[nodiscard]] ImageListHandle makeTreeImages(HINSTANCE instance, int size);

}  // namespace velmora::win32
