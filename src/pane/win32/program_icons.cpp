#include "pane/win32/program_icons.h"

#include <shellapi.h>

#include "core/paths.h"
#include "core/text.h"
#include "platform/win32/dpi.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {
// A small icon's side at 96 DPI.
constexpr int kSmallIcon = 16;
// What the lists start with and grow by.
constexpr int kFirstIcons = 32;

// The files whose icons are their own first icon resource.
bool holdsIcons(const std::string& path) {
  const std::string extension = asciiUpper(fileExtension(path));
  return extension == ".EXE" || extension == ".DLL" || extension == ".ICO" || extension == ".SCR" ||
         extension == ".CPL";
}

// The icon at `index` of the file at `location` (a negative index is a
// resource id), `side` pixels square; none when there is none.
IconHandle extracted(const std::wstring& location, int index, int side) {
  HICON icon = nullptr;
  UINT id = 0;
  const UINT got = PrivateExtractIconsW(location.c_str(), index, side, side, &icon, &id, 1, LR_DEFAULTCOLOR);
  // 0xFFFFFFFF: no such file; 0: no icon in it.
  if (got == 0 || got == 0xFFFFFFFF) return IconHandle();
  return IconHandle(icon);
}

// A program's type shows the file's own icon, so one without is shown as
// Windows shows it: the generic application.
bool isProgram(const std::string& path) {
  const std::string extension = asciiUpper(fileExtension(path));
  return extension == ".EXE" || extension == ".COM";
}

// The icon Windows gives files of this name's type, without reading the file.
IconHandle typeIcon(const std::string& path, int side) {
  // Asking the shell builds its own image lists first: under Wine 100 ms
  // and 3 MB for the first missing program, where the generic application
  // icon is the system's own.
  if (isProgram(path)) {
    return IconHandle(static_cast<HICON>(LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, side, side, LR_DEFAULTCOLOR)));
  }
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(widen(path).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                      SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES)) {
    return IconHandle();
  }
  return IconHandle(info.hIcon);
}

// The file's own icon; none for a missing file or one Windows has none for.
IconHandle ownIcon(const std::string& path, int side) {
  const std::wstring wide = widen(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (holdsIcons(path)) {
      if (IconHandle icon = extracted(wide, 0, side)) return icon;
    } else {
      // A document or script: where its type's icon is.
      SHFILEINFOW info{};
      if (SHGetFileInfoW(wide.c_str(), 0, &info, sizeof info, SHGFI_ICONLOCATION) && info.szDisplayName[0]) {
        if (IconHandle icon = extracted(info.szDisplayName, info.iIcon, side)) return icon;
      }
    }
  }
  return IconHandle();
}
}  // namespace

ProgramIcons& ProgramIcons::session() {
  static ProgramIcons icons;
  return icons;
}

ProgramIcons::Sized& ProgramIcons::sized(int dpi) {
  const int side = scaleToDpi(kSmallIcon, dpi > 0 ? dpi : kBaseDpi);
  auto it = bySide_.find(side);
  if (it == bySide_.end()) {
    Sized made;
    made.list = ImageListHandle(ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, kFirstIcons, kFirstIcons));
    it = bySide_.emplace(side, std::move(made)).first;
  }
  return it->second;
}

HIMAGELIST ProgramIcons::listFor(int dpi) { return sized(dpi).list.get(); }

std::optional<int> ProgramIcons::remembered(const std::string& path, int dpi) {
  if (path.empty()) return I_IMAGENONE;
  const Sized& s = sized(dpi);
  if (const auto it = s.indices.find(foldedIgnoreCase(path)); it != s.indices.end()) return it->second;
  return std::nullopt;
}

int ProgramIcons::indexOf(const std::string& path, int dpi, bool readFile) {
  if (path.empty()) return I_IMAGENONE;
  Sized& s = sized(dpi);
  std::string key = foldedIgnoreCase(path);
  if (const auto it = s.indices.find(key); it != s.indices.end()) return it->second;
  ++lookups_;
  int index = I_IMAGENONE;
  int side = 0, unused = 0;
  if (s.list && ImageList_GetIconSize(s.list.get(), &side, &unused)) {
    if (const IconHandle icon = readFile ? ownIcon(path, side) : IconHandle()) {
      index = added(s, icon);
    } else {
      // Every missing program shares one generic icon, every text file one.
      std::string type = std::string(1, '\0') + asciiUpper(fileExtension(path));
      if (const auto it = s.indices.find(type); it != s.indices.end()) {
        index = it->second;
      } else {
        index = added(s, typeIcon(path, side));
        s.indices.emplace(std::move(type), index);
      }
    }
  }
  s.indices.emplace(std::move(key), index);
  return index;
}

int ProgramIcons::added(Sized& s, const IconHandle& icon) {
  if (!icon) return I_IMAGENONE;
  // The list keeps a copy; ours goes with the handle.
  const int index = ImageList_ReplaceIcon(s.list.get(), -1, icon.get());
  return index >= 0 ? index : I_IMAGENONE;
}

}  // namespace velmora::win32
