#pragma once
// Our skinning layer: the colours of the skin file, applied to the main
// window and to dialogs. It is started, given the skin file, applied and
// shut down at fixed points of start-up and shutdown; without a usable skin
// file every window keeps the system look.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/skin.h"
#include "core/theme.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {

class SkinLayer {
 public:
  SkinLayer() = default;
  ~SkinLayer();
  SkinLayer(const SkinLayer&) = delete;
  SkinLayer& operator=(const SkinLayer&) = delete;

  // Start-up: the layer is ready for this program.
  void init(HINSTANCE instance, std::string_view programName);
  // Reads the skin file; a missing or unusable one leaves no skin.
  void load(const std::string& skinFile);
  // Applies the named skin object to the main window.
  void applyToFrame(HWND frame, std::string_view objectName);
  // Names the skin object that dialogs use.
  void setDialogSkin(std::string_view objectName);
  // Shutdown: drops the skin and its brushes.
  void shutdown();

  bool active() const { return skin_.has_value(); }
  // A colour of the frame's object; nothing means the system colour.
  std::optional<COLORREF> frameColour(std::string_view key) const;
  // Background brush and text colour for dialogs; null/nothing means the
  // system's own.
  HBRUSH dialogBrush();
  std::optional<COLORREF> dialogTextColour() const;
  // What the skin asks of the light or the dark palette: the dialog object's
  // Background and Text (DarkBackground and DarkText), the frame object's
  // Splitter (DarkSplitter).
  [[nodiscard]] SkinColours colours(bool dark) const;

 private:
  std::optional<COLORREF> colour(const std::string& object, std::string_view key) const;

  HINSTANCE instance_ = nullptr;
  std::string program_;
  std::optional<Skin> skin_;
  HWND frame_ = nullptr;
  std::string frameObject_;
  std::string dialogObject_;
  BrushHandle dialogBrush_;
};

// The process-wide layer.
SkinLayer& skinLayer();

}  // namespace velmora::win32
