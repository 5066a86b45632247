#pragma once
// The start screen (also the About box): a frameless window as big as its
// picture, and its elements bottom to top.

#include "layout/element.h"

#include <span>
#include <string_view>

namespace zz::layout::start_screen {

// Names the window to the platform; never drawn (no title bar).
inline constexpr std::string_view kCaption = "Quellor 6175 Virtual Panel";
inline constexpr int kWidth = 7650;  // twips: 510 x 313 pixels
inline constexpr int kHeight = 4695;
// The window's own face; the version line uses it.
inline constexpr Face kWindowFace{face::kSansSerif, face::kDefaultPoints, true};
inline constexpr std::string_view kOkButton = "OKBut";

std::span<const Element> elements();
const Element &element(std::string_view name);

// Where the window's top-left corner goes on a screen of that size in
// pixels: centred in twips, single precision, halved without rounding, and
// only then to whole pixels, so a small screen is overhung equally.
struct Origin {
    int left = 0, top = 0;
};
Origin centredOrigin(int screenWidthPixels, int screenHeightPixels);

}  // namespace zz::layout::start_screen
