#include "platform/win32/clipboard.h"

#include <cstring>
#include <utility>

#include "core/retry.h"

namespace velmora::win32 {
namespace {

// Open for the scope; closed whatever happens between. Another program
// that holds the clipboard for a moment (clipboard history, a remote
// desktop reading what was copied) is waited for briefly.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner)
      : open_(retryBriefly([owner] { return OpenClipboard(owner) != FALSE; }, [](bool open) { return !open; },
                           [](unsigned ms) { Sleep(ms); })) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

// Memory for SetClipboardData, freed unless the clipboard took it.
class GlobalBlock {
 public:
  explicit GlobalBlock(std::size_t bytes) : block_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
  ~GlobalBlock() {
    if (block_) GlobalFree(block_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  HGLOBAL get() const { return block_; }
  HGLOBAL release() { return std::exchange(block_, nullptr); }

 private:
  HGLOBAL block_;
};

}  // namespace

bool putClipboardText(HWND owner, const std::wstring& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  GlobalBlock block(bytes);
  if (!block.get()) return false;
  void* to = GlobalLock(block.get());
  if (!to) return false;
  std::memcpy(to, text.c_str(), bytes);
  GlobalUnlock(block.get());

  const OpenClipboardScope clipboard(owner);
  if (!clipboard.open() || !EmptyClipboard()) return false;
  if (!SetClipboardData(CF_UNICODETEXT, block.get())) return false;
  block.release();  // the system's now
  return true;
}

}  // namespace velmora::win32
