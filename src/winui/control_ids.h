#pragma once
// How a test driver (or any program) finds the Win32 windows' elements: every
// windowed element is a child window whose control id is kFirstControlId plus
// its row in its window's layout table, so the table names it. The window
// classes, the menu commands' ids and the lamp's colour property are fixed
// here too.

#include "layout/element.h"

#include <span>

namespace zz::winui {

inline constexpr int kFirstControlId = 1000;

// The control id of a table row, and the row of an id (null: none of them).
int controlId(std::span<const layout::Element> table, const layout::Element &element);
const layout::Element *elementOfId(std::span<const layout::Element> table, int id);

// The panel's menu bar: two commands, no sub-items.
inline constexpr int kComPortMenuId = 2001;
inline constexpr int kAboutMenuId = 2002;
// The footer's true-ohms switch (layout::panel::kTrueSwitch), outside the table.
inline constexpr int kTrueSwitchId = 2003;

// The top-level windows' classes (their captions are the tables' captions).
inline constexpr const wchar_t *kPanelClass = L"ZzPanelWindow";
inline constexpr const wchar_t *kStartScreenClass = L"ZzStartScreen";
inline constexpr const wchar_t *kPortDialogClass = L"ZzPortDialog";

// On the lamp's window: 1 + frontpanel::LampColour (grey, green, red, amber).
inline constexpr const wchar_t *kLampColourProperty = L"zzLampColour";

}  // namespace zz::winui
