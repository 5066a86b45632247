#pragma once
// Registering this program's window classes (once each), and the object a
// window procedure finds behind its window.

#include <windows.h>

#include <optional>

namespace zz::winui {

// Registers the class on first use; the background is painted by the class.
void registerWindowClass(const wchar_t *name, WNDPROC procedure, HICON icon = nullptr);

// The object stored with a window at creation (lpCreateParams) and found
// again by its procedure; null before WM_NCCREATE.
template <class T>
T *windowObject(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto *object = static_cast<T *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        return object;
    }
    return reinterpret_cast<T *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Paints what the parent shows beneath a clear child (its backdrop and drawn
// elements) into the child's DC, through the parent's WM_PRINTCLIENT.
void paintParentBackground(HWND child, HDC dc);

// The painting messages of a window that draws its whole client area
// itself, off screen and without erasing first: the message's result when
// it was one of them (WM_ERASEBKGND, WM_PAINT, WM_PRINTCLIENT).
template <class Paint>
std::optional<LRESULT> paintMessage(HWND hwnd, UINT message, WPARAM wParam, Paint &&paint) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            paint(reinterpret_cast<HDC>(wParam));
            return 0;
        default:
            return std::nullopt;
    }
}

// The DPI of a window's monitor (96 where the system cannot say).
int windowDpi(HWND hwnd);

}  // namespace zz::winui
