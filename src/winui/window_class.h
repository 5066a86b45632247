#pragma once
// Registering this program's window classes (once each), and the object a
// window procedure finds behind its window.

#include <windows.h>

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

// The DPI of a window's monitor (96 where the system cannot say).
int windowDpi(HWND hwnd);

}  // namespace zz::winui
