#pragma once
// The port dialog: its frame's facts and its elements bottom to top.

#include "layout/element.h"

#include <span>
#include <string_view>

namespace zz::layout::port_dialog {

inline constexpr std::string_view kCaption = "Set Communication Port";
inline constexpr int kWidth = 5820;  // client area, twips: 388 x 154 pixels
inline constexpr int kHeight = 2310;
inline constexpr std::string_view kPrompt = "CommLab";
inline constexpr std::string_view kPortBox = "COMCombo";
inline constexpr std::string_view kExitButton = "ExitBut";
inline constexpr std::string_view kOkButton = "CommBut";
// The port box lists ports 1 to this; any other number can be typed.
inline constexpr int kListedPorts = 20;

std::span<const Element> elements();
const Element &element(std::string_view name);

}  // namespace zz::layout::port_dialog
