#pragma once
// The link lamp: a coloured lamp with its caption beside it and the details
// as a tooltip (frontpanel::LinkLamp says what they are). It takes no focus;
// a click reaches the parent as BN_CLICKED (the panel resends).

#include "frontpanel/link_lamp.h"

#include <windows.h>

namespace zz::winui {

inline constexpr const wchar_t *kLampClass = L"ZzLinkLamp";

HWND createLampControl(HWND parent, int id);
// Shows the lamp as the view says (colour, caption as the window's text,
// tooltip), and the colour as kLampColourProperty.
void showLamp(HWND lamp, const frontpanel::LampView &view);

}  // namespace zz::winui
