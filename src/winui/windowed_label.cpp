#include "winui/windowed_label.h"

#include "link/text_win32.h"
#include "winui/drawn_elements.h"
#include "winui/window_class.h"

namespace zz::winui {

namespace {

constexpr const wchar_t *kFontProperty = L"zzFont";

LRESULT CALLBACK labelProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto *element = windowObject<const layout::Element>(hwnd, message, lParam);
    switch (message) {
        case WM_SETFONT:
            SetPropW(hwnd, kFontProperty, reinterpret_cast<HANDLE>(wParam));
            if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(GetPropW(hwnd, kFontProperty));
        case WM_SETTEXT: {
            const LRESULT done = DefWindowProcW(hwnd, message, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return done;
        }
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_NCHITTEST:
            return HTTRANSPARENT;  // the mouse reaches what lies beneath
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT box;
            GetClientRect(hwnd, &box);
            if (element && !element->fill) paintParentBackground(hwnd, dc);
            const int length = GetWindowTextLengthW(hwnd);
            std::wstring text(std::size_t(length) + 1, L'\0');
            GetWindowTextW(hwnd, text.data(), length + 1);
            text.resize(std::size_t(length));
            if (element)
                paintLabelText(dc, *element, text, box,
                               static_cast<HFONT>(GetPropW(hwnd, kFontProperty)));
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_NCDESTROY:
            RemovePropW(hwnd, kFontProperty);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND createWindowedLabel(HWND parent, const layout::Element &element, int id) {
    registerWindowClass(kLabelClass, labelProcedure);
    const std::wstring caption = link::win32::widen(std::string(element.caption));
    return CreateWindowExW(0, kLabelClass, caption.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                           const_cast<layout::Element *>(&element));
}

}  // namespace zz::winui
