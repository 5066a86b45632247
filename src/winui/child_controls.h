#pragma once
// The windowed elements of a layout table as child windows: push buttons,
// the entry box, the port box, the readout panel and its labels, the wheels
// and the lamp. Each gets the control id of its table row (control_ids.h).

#include "layout/element.h"

#include <windows.h>

#include <span>

namespace zz::winui {

inline constexpr const wchar_t *kReadoutClass = L"ZzReadout";
// WM_COMMAND notification of the entry box: Enter was typed in it.
inline constexpr WORD kEntryEnter = 0x7A10;

// The element's child window of `parent`, caption as stored; null for kinds
// that are drawn.
HWND createChild(HWND parent, std::span<const layout::Element> table,
                 const layout::Element &element);

// Puts it at its pixel box at that DPI (a port box: its closed field the
// box's height) with its face's font.
void placeChild(HWND child, const layout::Element &element, int dpi, HFONT font);

}  // namespace zz::winui
