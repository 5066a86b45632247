#pragma once
// A digit's wheel: a vertical pair of arrows of which one acts (the up arrow
// of an up wheel, the down arrow of a down wheel). A press delivers one step
// at once; held down it repeats, each repetition one more step. With the
// focus, Space presses the acting arrow and the Up and Down keys step the
// digit either way. Steps reach the parent as WM_COMMAND notifications.

#include <windows.h>

namespace zz::winui {

inline constexpr const wchar_t *kArrowClass = L"ZzArrow";
// WM_COMMAND notification codes (HIWORD of wParam).
inline constexpr WORD kArrowStepUp = 0x7A01;
inline constexpr WORD kArrowStepDown = 0x7A02;
// wParam: the row in pixels where the lower arrow begins (the readout's
// edge, so that every row that shows belongs to the acting arrow).
inline constexpr UINT kArrowSetSplit = WM_USER + 1;

// The repeat timing of a held arrow: first repetition, then each next one.
inline constexpr UINT kRepeatDelayMs = 400;
inline constexpr UINT kRepeatIntervalMs = 100;

HWND createArrowButton(HWND parent, bool actsUp, int id);

}  // namespace zz::winui
