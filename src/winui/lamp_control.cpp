#include "winui/lamp_control.h"

#include "layout/element.h"
#include "link/text_win32.h"
#include "winui/control_ids.h"
#include "winui/drawn_elements.h"
#include "winui/window_class.h"

#include <commctrl.h>

#include <algorithm>

namespace zz::winui {

namespace {

constexpr const wchar_t *kTooltipProperty = L"zzLampTooltip";
constexpr const wchar_t *kFontProperty = L"zzFont";
constexpr int kDiameterAt96 = 12;
constexpr int kGapAt96 = 4;  // between the lamp and its caption

COLORREF lampColour(frontpanel::LampColour colour) {
    switch (colour) {
        case frontpanel::LampColour::Green:
            return RGB(40, 170, 60);
        case frontpanel::LampColour::Red:
            return RGB(210, 30, 30);
        case frontpanel::LampColour::Amber:
            return RGB(240, 160, 0);
        case frontpanel::LampColour::Grey:
            break;
    }
    return RGB(160, 160, 160);
}

frontpanel::LampColour colourOf(HWND hwnd) {
    const auto stored = reinterpret_cast<INT_PTR>(GetPropW(hwnd, kLampColourProperty));
    return stored > 0 ? frontpanel::LampColour(stored - 1) : frontpanel::LampColour::Grey;
}

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    paintParentBackground(hwnd, dc);
    const int dpi = windowDpi(hwnd);
    const int diameter = MulDiv(kDiameterAt96, dpi, 96);
    RECT box;
    GetClientRect(hwnd, &box);
    const COLORREF fill = lampColour(colourOf(hwnd));
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen =
        CreatePen(PS_SOLID, 1,
                  RGB(GetRValue(fill) * 2 / 3, GetGValue(fill) * 2 / 3, GetBValue(fill) * 2 / 3));
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    HFONT font = static_cast<HFONT>(GetPropW(hwnd, kFontProperty));
    HGDIOBJ oldFont = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int top = std::max(0, (int(metrics.tmHeight) - diameter) / 2);
    Ellipse(dc, 0, top, diameter, top + diameter);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);

    const int length = GetWindowTextLengthW(hwnd);
    std::wstring caption(std::size_t(length) + 1, L'\0');
    GetWindowTextW(hwnd, caption.data(), length + 1);
    caption.resize(std::size_t(length));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, toColour(layout::colour::kFooterBlue));
    RECT text = box;
    text.left = diameter + MulDiv(kGapAt96, dpi, 96);
    DrawTextW(dc, caption.c_str(), length, &text, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK lampProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFONT:
            SetPropW(hwnd, kFontProperty, reinterpret_cast<HANDLE>(wParam));
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(GetPropW(hwnd, kFontProperty));
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
            return TRUE;
        case WM_LBUTTONUP: {
            RECT box;
            GetClientRect(hwnd, &box);
            const POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
            if (PtInRect(&box, p))
                SendMessageW(GetParent(hwnd), WM_COMMAND,
                             MAKEWPARAM(WORD(GetDlgCtrlID(hwnd)), BN_CLICKED),
                             reinterpret_cast<LPARAM>(hwnd));
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            paint(hwnd);
            return 0;
        case WM_NCDESTROY:
            RemovePropW(hwnd, kLampColourProperty);
            RemovePropW(hwnd, kFontProperty);
            RemovePropW(hwnd, kTooltipProperty);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND createLampControl(HWND parent, int id) {
    registerWindowClass(kLampClass, lampProcedure);
    HWND lamp =
        CreateWindowExW(0, kLampClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(lamp);
    tool.lpszText = const_cast<wchar_t *>(L"");
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 400);
    SetPropW(lamp, kTooltipProperty, tip);
    return lamp;
}

void showLamp(HWND lamp, const frontpanel::LampView &view) {
    SetPropW(lamp, kLampColourProperty, reinterpret_cast<HANDLE>(INT_PTR(int(view.colour) + 1)));
    SetWindowTextW(lamp, link::win32::widen(view.caption).c_str());
    if (HWND tip = static_cast<HWND>(GetPropW(lamp, kTooltipProperty))) {
        std::wstring text = link::win32::widen(view.tooltip);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = GetParent(lamp);
        tool.uId = reinterpret_cast<UINT_PTR>(lamp);
        tool.lpszText = text.data();
        SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    InvalidateRect(lamp, nullptr, FALSE);
}

}  // namespace zz::winui
