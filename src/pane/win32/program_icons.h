#pragma once
// The small icons of the rows' program files, in the Name column.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/win32/handles.h"

namespace velmora::win32 {

// Image lists of program icons, one for each small-icon size in use (16
// pixels at 96 DPI, 24 at 144, 32 at 192), shared by every pane, and what
// each file path (ignoring case) came to in it, remembered for the session.
//
// Our own lists, not Windows' system image list: Wine's system list gives
// every program the one generic icon (it takes a program's icon from
// shell32, not from the program), and the system lists come in a few fixed
// sizes that miss 24 pixels for a 144-DPI monitor. The icons are read at
// the exact size from the file itself. The lists belong to this object: a
// list view showing one must have LVS_SHAREIMAGELISTS, or it would destroy
// it with itself.
class ProgramIcons {
 public:
  static ProgramIcons& session();

  // The index, in listFor(dpi), of the icon of the file at `path`: its own
  // (a program's or a library's first icon, another file's the icon of its
  // type); for a missing file, or one without an icon, the icon of its type
  // by name alone (the generic one of programs, for a missing program).
  // I_IMAGENONE for an empty path or when Windows has not even that. Reads
  // each path once per size; never shows a window. Without `readFile` the
  // file is not touched (one on a network drive may not answer for long):
  // the icon of its type.
  [[nodiscard]] int indexOf(const std::string& path, int dpi, bool readFile = true);
  // What indexOf answered for `path` at `dpi` before, without reading
  // anything: nothing when it was never asked (I_IMAGENONE for "").
  [[nodiscard]] std::optional<int> remembered(const std::string& path, int dpi);
  // The list of the small icons at `dpi`.
  [[nodiscard]] HIMAGELIST listFor(int dpi);
  // How many paths were looked up (read from their files) this session.
  [[nodiscard]] int lookups() const { return lookups_; }

 private:
  struct Sized {
    ImageListHandle list;
    std::unordered_map<std::string, int> indices;
  };
  Sized& sized(int dpi);
  // `icon` added to the list: its index, or I_IMAGENONE.
  static int added(Sized& s, const IconHandle& icon);

  std::map<int, Sized> bySide_;
  int lookups_ = 0;
};

}  // namespace velmora::win32
