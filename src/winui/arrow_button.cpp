#include "winui/arrow_button.h"

#include "winui/window_class.h"

#include <initializer_list>

namespace zz::winui {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;

struct Arrow {
    bool actsUp = true;
    int split = -1;  // -1: the middle
    bool pressed = false;
    bool inside = false;  // the pointer over the acting half; repeats pause outside it
};

RECT half(HWND hwnd, const Arrow &arrow, bool upper) {
    RECT r;
    GetClientRect(hwnd, &r);
    const int split = arrow.split >= 0 ? arrow.split : (r.bottom - r.top) / 2;
    if (upper)
        r.bottom = split;
    else
        r.top = split;
    return r;
}

void step(HWND hwnd, bool up) {
    const int id = GetDlgCtrlID(hwnd);
    SendMessageW(GetParent(hwnd), WM_COMMAND,
                 MAKEWPARAM(WORD(id), up ? kArrowStepUp : kArrowStepDown),
                 reinterpret_cast<LPARAM>(hwnd));
}

bool overActingHalf(HWND hwnd, const Arrow &arrow, LPARAM lParam) {
    const POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
    const RECT acting = half(hwnd, arrow, arrow.actsUp);
    return PtInRect(&acting, p);
}

void release(HWND hwnd, Arrow &arrow) {
    if (!arrow.pressed) return;
    arrow.pressed = false;
    KillTimer(hwnd, kRepeatTimer);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void paint(HWND hwnd, const Arrow &arrow) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    for (const bool upper : {true, false}) {
        RECT r = half(hwnd, arrow, upper);
        UINT state = upper ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
        if (arrow.pressed && arrow.inside && upper == arrow.actsUp) state |= DFCS_PUSHED;
        if (upper != arrow.actsUp) state |= DFCS_INACTIVE;
        DrawFrameControl(dc, &r, DFC_SCROLL, state);
    }
    if (GetFocus() == hwnd) {
        RECT r = half(hwnd, arrow, arrow.actsUp);
        InflateRect(&r, -3, -3);
        DrawFocusRect(dc, &r);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK arrowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto *arrow = new Arrow;
        arrow->actsUp = reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams != nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(arrow));
    }
    auto *arrow = reinterpret_cast<Arrow *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!arrow) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case kArrowSetSplit:
            arrow->split = int(wParam);
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetFocus(hwnd);
            // The other arrow of the pair does nothing.
            if (!overActingHalf(hwnd, *arrow, lParam)) return 0;
            arrow->pressed = arrow->inside = true;
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
            UpdateWindow(hwnd);
            step(hwnd, arrow->actsUp);
            SetTimer(hwnd, kRepeatTimer, kRepeatDelayMs, nullptr);
            return 0;
        case WM_MOUSEMOVE:
            if (arrow->pressed) {
                const bool inside = overActingHalf(hwnd, *arrow, lParam);
                if (inside != arrow->inside) InvalidateRect(hwnd, nullptr, FALSE);
                arrow->inside = inside;
            }
            return 0;
        case WM_TIMER:
            if (wParam == kRepeatTimer && arrow->pressed) {
                SetTimer(hwnd, kRepeatTimer, kRepeatIntervalMs, nullptr);
                if (arrow->inside) step(hwnd, arrow->actsUp);
            }
            return 0;
        case WM_LBUTTONUP:
            release(hwnd, *arrow);
            if (GetCapture() == hwnd) ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            release(hwnd, *arrow);
            return 0;
        case WM_KEYDOWN:
            if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0) break;
            if (wParam == VK_SPACE) step(hwnd, arrow->actsUp);
            if (wParam == VK_UP || wParam == VK_DOWN) step(hwnd, wParam == VK_UP);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, FALSE);
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            paint(hwnd, *arrow);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            delete arrow;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND createArrowButton(HWND parent, bool actsUp, int id) {
    registerWindowClass(kArrowClass, arrowProcedure);
    return CreateWindowExW(0, kArrowClass, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                           actsUp ? reinterpret_cast<void *>(1) : nullptr);
}

}  // namespace zz::winui
