#pragma once
// A label as a child window, where a label's text changes while the window
// runs or must be readable by other programs (WM_GETTEXT): the readout's
// digits and the port dialog's prompt. Drawn like the drawn labels; a clear
// one shows its parent beneath.

#include "layout/element.h"

#include <windows.h>

namespace zz::winui {

inline constexpr const wchar_t *kLabelClass = L"ZzLabel";

// The element (kept for the window's life) gives face colour and fill; the
// font comes by WM_SETFONT.
HWND createWindowedLabel(HWND parent, const layout::Element &element, int id);

}  // namespace zz::winui
