#pragma once
// XmlLite's reader as every part uses it: the library loaded when first
// needed, and a reader that never processes a document type (no entity of
// a file's own making expands into what we read).
#include <windows.h>
#include <xmllite.h>

#include "platform/win32/com_ptr.h"

namespace velmora::win32 {

inline constexpr IID kIidXmlReader = {0x7279FC81, 0x709D, 0x4095, {0xB6, 0x3D, 0x69, 0xFE, 0x4B, 0x0D, 0x90, 0x30}};
inline constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Null when XmlLite is not there.
ComPtr<IXmlReader> createXmlReader();

}  // namespace velmora::win32
