#include "app/win32/skin_layer.h"

#include "platform/win32/files_win32.h"

namespace velmora::win32 {

SkinLayer::~SkinLayer() { shutdown(); }

void SkinLayer::init(HINSTANCE instance, std::string_view programName) {
  instance_ = instance;
  program_ = std::string(programName);
}

void SkinLayer::load(const std::string& skinFile) {
  dialogBrush_.reset();
  skin_.reset();
  if (const auto bytes = readFileBytes(skinFile)) skin_ = Skin::parse(*bytes, decodeLegacy);
}

void SkinLayer::applyToFrame(HWND frame, std::string_view objectName) {
  frame_ = frame;
  frameObject_ = std::string(objectName);
  if (frame_ && active()) RedrawWindow(frame_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void SkinLayer::setDialogSkin(std::string_view objectName) {
  dialogObject_ = std::string(objectName);
  dialogBrush_.reset();
}

void SkinLayer::shutdown() {
  dialogBrush_.reset();
  skin_.reset();
  frame_ = nullptr;
}

std::optional<COLORREF> SkinLayer::colour(const std::string& object, std::string_view key) const {
  if (!skin_ || object.empty()) return std::nullopt;
  const auto rgb = skin_->colour(object, key);
  if (!rgb) return std::nullopt;
  return RGB(rgb->red, rgb->green, rgb->blue);
}

std::optional<COLORREF> SkinLayer::frameColour(std::string_view key) const { return colour(frameObject_, key); }

HBRUSH SkinLayer::dialogBrush() {
  if (!dialogBrush_) {
    if (const auto c = colour(dialogObject_, "Background")) dialogBrush_.reset(CreateSolidBrush(*c));
  }
  return dialogBrush_.get();
}

std::optional<COLORREF> SkinLayer::dialogTextColour() const { return colour(dialogObject_, "Text"); }

SkinColours SkinLayer::colours(bool dark) const {
  if (!skin_) return {};
  const auto read = [this, dark](const std::string& object, const char* key) -> std::optional<Rgb> {
    if (object.empty()) return std::nullopt;
    return skin_->colour(object, dark ? std::string("Dark") + key : std::string(key));
  };
  return SkinColours{read(dialogObject_, "Background"), read(dialogObject_, "Text"), read(frameObject_, "Splitter")};
}

SkinLayer& skinLayer() {
  static SkinLayer layer;
  return layer;
}

}  // namespace velmora::win32
