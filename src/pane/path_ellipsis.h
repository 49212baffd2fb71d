#pragma once
// A location as a narrow Location column paints it: an ellipsis in the
// middle that keeps what tells the places apart. Every Run key begins with
// the same "Software\Microsoft\Windows\CurrentVersion", so the end-ellipsis
// a list draws by itself makes them all read alike.
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

// U+2026, the one character that stands for what was left out.
inline constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

// Whether a text fits where it is to be painted.
using FitsText = std::function<bool(const std::string&)>;

// `path` (components joined by "\") unchanged when it fits. Otherwise, in
// this order, the first form that fits:
//  1. the root (a registry root key, a drive, or "\\server\share") and the
//     last component kept, with the components that set places apart
//     (WOW6432Node, Policies, Explorer, RunOnceEx), and the generic ones
//     between them left out one by one from the left, each run of left-out
//     components shown as one ellipsis;
//  2. the same with a root key's short name (HKLM, HKCU, ...);
//  3. root (its short name), ellipsis, last component;
//  4. the beginning of the path and an ellipsis (as long as fits, at least
//     the ellipsis alone).
// A path without components after its root goes straight to 4. Text is
// UTF-8: never cut inside a character.
[[nodiscard]] std::string middleEllipsis(std::string_view path, const FitsText& fits);

}  // namespace velmora
