#include "winui/start_screen.h"

#include "layout/pictures.h"
#include "layout/start_screen_layout.h"
#include "link/text_win32.h"
#include "winui/child_controls.h"
#include "winui/control_ids.h"
#include "winui/window_class.h"

namespace zz::winui {

namespace screen = layout::start_screen;

StartScreen::StartScreen(bool withOkButton) {
    registerWindowClass(kStartScreenClass, procedure);
    const std::wstring caption = link::win32::widen(std::string(screen::kCaption));
    hwnd_ = CreateWindowExW(0, kStartScreenClass, caption.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                            0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    const layout::Element &ok = screen::element(screen::kOkButton);
    okButton_ = createChild(hwnd_, screen::elements(), ok);
    ShowWindow(okButton_, withOkButton ? SW_SHOWNA : SW_HIDE);
    setKeyboardFilter(hwnd_, this);
    place(windowDpi(hwnd_));
}

StartScreen::~StartScreen() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void StartScreen::place(int dpi) {
    dpi_ = dpi;
    fonts_.clear();
    // Centred as designed, in the pixels of a standard screen, then at this DPI.
    const int screenWidth = MulDiv(GetSystemMetrics(SM_CXSCREEN), layout::kStandardDpi, dpi);
    const int screenHeight = MulDiv(GetSystemMetrics(SM_CYSCREEN), layout::kStandardDpi, dpi);
    const screen::Origin origin = screen::centredOrigin(screenWidth, screenHeight);
    SetWindowPos(hwnd_, nullptr, MulDiv(origin.left, dpi, layout::kStandardDpi),
                 MulDiv(origin.top, dpi, layout::kStandardDpi), layout::pixels(screen::kWidth, dpi),
                 layout::pixels(screen::kHeight, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    const layout::Element &ok = screen::element(screen::kOkButton);
    placeChild(okButton_, ok, dpi, fonts_.font(ok.face, dpi));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void StartScreen::show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void StartScreen::runModal() {
    show();
    SetForegroundWindow(hwnd_);
    SetFocus(okButton_);
    winui::runModal(hwnd_, done_);
}

bool StartScreen::filterKey(const MSG &message) {
    return moveFocusByTab(message, {okButton_});
}

void StartScreen::paint(HDC dc) {
    RECT all;
    GetClientRect(hwnd_, &all);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const RECT picture = toRect(layout::pixelRect(0, 0, screen::kWidth, screen::kHeight, dpi_));
    drawPicture(dc, pictures_.picture(layout::picture::kStartBackground.file), picture);
    Painter painter{fonts_, pictures_, dpi_};
    paintElements(dc, screen::elements(), painter);
}

LRESULT CALLBACK StartScreen::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *self = windowObject<StartScreen>(hwnd, message, lParam);
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCCREATE) self->hwnd_ = hwnd;
    return self->handle(message, wParam, lParam);
}

LRESULT StartScreen::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto painted = paintMessage(hwnd_, message, wParam, [this](HDC dc) { paint(dc); }))
        return *painted;
    switch (message) {
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == okButton_ && HIWORD(wParam) == BN_CLICKED)
                done_ = true;
            return 0;
        case WM_CLOSE:
            return 0;  // only OK (or the start-up) closes it
        case WM_DPICHANGED:
            place(HIWORD(wParam));
            return 0;
        case WM_DESTROY:
            setKeyboardFilter(hwnd_, nullptr);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace zz::winui
