#include "winui/panel_window.h"

#include "common/version.h"
#include "layout/panel_layout.h"
#include "link/text_win32.h"
#include "winui/arrow_button.h"
#include "winui/child_controls.h"
#include "winui/control_ids.h"
#include "winui/window_class.h"

namespace zz::winui {

namespace table = layout::panel;
using layout::Kind;
using link::win32::widen;

namespace {

// A fixed dialog frame: title bar, system menu and close box; no minimise,
// no maximise, not resizable.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
// Where the client area goes on the screen, as designed (twips).
constexpr int kClientLeft = 4515, kClientTop = 3165;
constexpr int kProgramIcon = 1;  // the icon resource of the program file

HICON programIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIcon),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

PanelWindow::PanelWindow(link::SerialControl &serial, frontpanel::MessageBoxes &boxes)
    : serial_(serial) {
    registerWindowClass(kPanelClass, procedure);
    title_ = widen(std::string(table::kCaption) + std::string(common::kVersionText));
    const std::wstring &caption = title_;
    HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, kComPortMenuId, widen(std::string(table::kComPortMenu)).c_str());
    AppendMenuW(menu, MF_STRING, kAboutMenuId, widen(std::string(table::kAboutMenu)).c_str());
    hwnd_ = CreateWindowExW(kExStyle, kPanelClass, caption.c_str(), kStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, 0, 0, nullptr, menu, GetModuleHandleW(nullptr), this);

    // Bottom to top: each child goes above those made before it, so the
    // readout panel covers the wheels' inner halves.
    HWND readout = nullptr;
    for (const layout::Element &e : table::elements()) {
        HWND parent = e.kind == Kind::ReadoutLabel ? readout : hwnd_;
        HWND made = isDrawn(e) ? nullptr : createChild(parent, table::elements(), e);
        if (made) SetWindowPos(made, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        if (e.kind == Kind::Readout) readout = made;
        children_.push_back(made);
    }
    // The switch lies outside the table; last in the tab order.
    trueSwitch_ = CreateWindowExW(
        0, L"BUTTON", widen(std::string(table::kTrueSwitch.caption)).c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(INT_PTR(kTrueSwitchId)), GetModuleHandleW(nullptr), nullptr);
    SetWindowPos(trueSwitch_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    tabOrder_ = tabOrderWindows(table::elements(),
                                [this](const layout::Element &e) { return child(e.name); });

    // The digit labels are views of the register.
    register_.setObserver([this](int i) {
        SetWindowTextW(child(table::digitName(i)), widen(register_.digitText(i)).c_str());
    });
    for (int i = 1; i <= frontpanel::ValueRegister::kDigits; ++i)
        SetWindowTextW(child(table::digitName(i)), widen(register_.digitText(i)).c_str());
    frontpanel::PanelView &view = *this;
    logic_ = std::make_unique<frontpanel::PanelLogic>(register_, view, boxes);

    // The link lamp: every command through this port, whoever sent it.
    serial_.setCommandObserver([this](const std::string &command, const Status &status) {
        lamp_.commandSent(command, status, serial_.devicePresent(),
                          std::chrono::system_clock::now());
        showLampNow();
    });
    // The idle watch; the record found now is the starting point, not news.
    follower_.start(serial_.devicePath());
    if (const std::string records = link::commandRecordDirectory(); !records.empty()) {
        recordChanges_ = FindFirstChangeNotificationW(
            widen(records).c_str(), FALSE,
            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
        if (recordChanges_ == INVALID_HANDLE_VALUE) recordChanges_ = nullptr;
    }
    SetTimer(hwnd_, 1, kPresenceCheckMs, nullptr);
    lamp_.devicePresence(serial_.devicePresent());
    setKeyboardFilter(hwnd_, this);
    if (trueSwitch_) tabOrder_.push_back(trueSwitch_);
    place(windowDpi(hwnd_));
    showLampNow();
    watchProfile();
}

PanelWindow::~PanelWindow() {
    // The labels go with the window; the register must not reach them then,
    // nor the control the lamp.
    register_.setObserver(nullptr);
    serial_.setCommandObserver(nullptr);
    if (recordChanges_) FindCloseChangeNotification(recordChanges_);
    if (IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);  // no more messages to this object
        DestroyWindow(hwnd_);
    }
    for (HICON icon : icons_)
        if (icon) DestroyIcon(icon);
}

HWND PanelWindow::child(std::string_view name) const {
    const layout::Element &e = table::element(name);
    return children_[std::size_t(&e - table::elements().data())];
}

void PanelWindow::show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);
    if (!tabOrder_.empty()) SetFocus(tabOrder_.front());  // the first in the tab order
}

void PanelWindow::place(int dpi) {
    dpi_ = dpi;
    fonts_.clear();
    for (HICON icon : icons_)
        if (icon) DestroyIcon(icon);
    icons_[0] = programIcon(GetSystemMetricsForDpi(SM_CXICON, UINT(dpi)));
    icons_[1] = programIcon(GetSystemMetricsForDpi(SM_CXSMICON, UINT(dpi)));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons_[0]));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons_[1]));

    // The client area exactly the table's size; a menu bar that wraps is
    // made up for once it has.
    const int width = layout::pixels(table::kClientWidth, dpi);
    const int height = layout::pixels(table::kClientHeight, dpi);
    RECT frame{0, 0, width, height};
    AdjustWindowRectExForDpi(&frame, kStyle, TRUE, kExStyle, UINT(dpi));
    const int left = layout::pixels(kClientLeft, dpi) + frame.left;
    const int top = layout::pixels(kClientTop, dpi) + frame.top;
    SetWindowPos(hwnd_, nullptr, left, top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(hwnd_, &client);
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    const int dw = width - client.right, dh = height - client.bottom;
    if (dw || dh)
        SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + dw,
                     outer.bottom - outer.top + dh, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    GetWindowRect(hwnd_, &outer);
    outer_ = {outer.right - outer.left, outer.bottom - outer.top};

    std::size_t row = 0;
    const layout::PixelRect readout = layout::pixelBox(table::element("SSPanel1"), dpi);
    for (const layout::Element &e : table::elements()) {
        HWND made = children_[row++];
        if (!made) continue;
        placeChild(made, e, dpi, fonts_.font(e.face, dpi));
        // The wheels' arrows split at the readout's edge.
        const layout::PixelRect box = layout::pixelBox(e, dpi);
        if (e.kind == Kind::UpArrow)
            SendMessageW(made, kArrowSetSplit, WPARAM(readout.top - box.top), 0);
        if (e.kind == Kind::DownArrow)
            SendMessageW(made, kArrowSetSplit, WPARAM(readout.top + readout.height - box.top), 0);
    }
    if (trueSwitch_)
        placeChild(trueSwitch_, table::kTrueSwitch, dpi, fonts_.font(table::kTrueSwitch.face, dpi));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT PanelWindow::boxOf(const layout::Element &element) const {
    // Creation steps: the picture over the window's outer size from the
    // client's corner (its right and bottom cut off), the border inset.
    if (element.name == table::kBackground) return {0, 0, outer_.cx, outer_.cy};
    if (element.name == table::kBorder) {
        const int inset = MulDiv(table::kBorderInsetPixels, dpi_, layout::kStandardDpi);
        return {inset, inset, outer_.cx, outer_.cy};
    }
    return toRect(layout::pixelBox(element, dpi_));
}

void PanelWindow::paint(HDC target) {
    RECT all;
    GetClientRect(hwnd_, &all);
    // Drawn off screen first, so nothing flickers.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP canvas = CreateCompatibleBitmap(target, all.right, all.bottom);
    HGDIOBJ old = SelectObject(dc, canvas);
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    Painter painter{fonts_, pictures_, dpi_};
    painter.boxOf = [this](const layout::Element &e) { return boxOf(e); };
    painter.lineWidth = [this](const layout::Element &e) {
        return e.name == table::kBorder
                   ? MulDiv(table::kBorderLinePixels, dpi_, layout::kStandardDpi)
                   : 1;
    };
    paintElements(dc, table::elements(), painter);
    BitBlt(target, 0, 0, all.right, all.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
}

bool PanelWindow::filterKey(const MSG &message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_F5) {
        resend();
        return true;
    }
    return moveFocusByTab(message, tabOrder_);
}

LRESULT CALLBACK PanelWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *self = windowObject<PanelWindow>(hwnd, message, lParam);
    if (!self) {
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCCREATE) self->hwnd_ = hwnd;
    return self->handle(message, wParam, lParam);
}

LRESULT PanelWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto painted = paintMessage(hwnd_, message, wParam, [this](HDC dc) { paint(dc); }))
        return *painted;
    switch (message) {
        case WM_COMMAND:
            if (!lParam && LOWORD(wParam) == kComPortMenuId && comPort_) comPort_();
            if (!lParam && LOWORD(wParam) == kAboutMenuId && about_) about_();
            if (lParam && LOWORD(wParam) == kTrueSwitchId && HIWORD(wParam) == BN_CLICKED)
                switchTrueMode();
            if (lParam)
                if (const auto *e = elementOfId(table::elements(), LOWORD(wParam)))
                    command(*e, HIWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            if (wheel(wParam, lParam)) return 0;
            break;
        case WM_TIMER:
            watchLink();
            return 0;
        case WM_DPICHANGED:
            place(HIWORD(wParam));
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // Windows ends the program after this returns: the port is let go now.
            if (wParam) {
                (void)serial_.close();
                DestroyWindow(hwnd_);
            }
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd_, 1);
            setKeyboardFilter(hwnd_, nullptr);
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace zz::winui
