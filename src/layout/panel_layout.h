#pragma once
// The panel window: its frame's facts and every element of its client area,
// bottom to top in stacking order (a face creates them in this order; its
// windowed controls lie above its drawn elements whatever the order).

#include "layout/element.h"
#include "layout/pixels.h"

#include <span>
#include <string_view>
#include <vector>

namespace zz::layout::panel {

// The caption as stored; the version text follows it after creation.
inline constexpr std::string_view kCaption = "6175 Virtual Panel";
inline constexpr int kClientWidth = 5970;  // twips: 398 x 332 pixels
inline constexpr int kClientHeight = 4980;
inline constexpr std::string_view kComPortMenu = "COM Port";
inline constexpr std::string_view kAboutMenu = "About";

// The background picture is stretched over the window's outer size; the
// border beneath it is inset from the corner by pixels, 2 pixels wide.
inline constexpr std::string_view kBackground = "BGImage";
inline constexpr std::string_view kBorder = "BorderShape";
inline constexpr int kBorderInsetPixels = 10;
inline constexpr int kBorderLinePixels = 2;

// The true-ohms switch in the footer above Exit, a check box that takes no
// place in the designed tab order; it is not one of the table's elements.
inline constexpr Element kTrueSwitch{"TrueSwitch",  Kind::Button,         4320, 4065, 1515, 255,
                                     "True \u03A9", {face::kSansSerif, 7}};

// Every element, bottom to top.
std::span<const Element> elements();
// The element of that object name (see findElement).
const Element &element(std::string_view name);
// The elements that take the focus, in the designed tab order.
std::vector<const Element *> tabOrder();

// The object names of the control arrays: digits, arrows 1..6, presets 0..7.
std::string_view digitName(int i);
std::string_view upArrowName(int i);
std::string_view downArrowName(int i);
std::string_view presetName(int n);

}  // namespace zz::layout::panel
