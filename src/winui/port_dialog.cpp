#include "winui/port_dialog.h"

#include "layout/pictures.h"
#include "layout/port_dialog_layout.h"
#include "link/text_win32.h"
#include "winui/child_controls.h"
#include "winui/control_ids.h"
#include "winui/window_class.h"

namespace zz::winui {

namespace dialog = layout::port_dialog;
using link::win32::widen;

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

// The prompt is replaced by the start-up, so it is a window of its own.
bool windowed(const layout::Element &e) {
    return !isDrawn(e) || e.name == dialog::kPrompt;
}

}  // namespace

PortDialog::PortDialog(const startup::PortDialogText &text, startup::PortListing &ports) {
    registerWindowClass(kPortDialogClass, procedure);
    const std::wstring caption = widen(std::string(dialog::kCaption));
    hwnd_ = CreateWindowExW(kExStyle, kPortDialogClass, caption.c_str(), kStyle, 0, 0, 0, 0,
                            nullptr, nullptr, GetModuleHandleW(nullptr), this);
    icons_[0] = iconFromPicture(layout::picture::kPortIcon.file);
    icons_[1] = iconFromPicture(layout::picture::kPortIconSmall.file);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons_[0]));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons_[1]));
    for (const layout::Element &e : dialog::elements()) {
        HWND made = windowed(e) ? createChild(hwnd_, dialog::elements(), e) : nullptr;
        if (made) SetWindowPos(made, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        children_.push_back(made);
    }
    box_ = std::make_unique<PortBox>(child(dialog::kPortBox), ports);
    box_->preset(text.preset);
    if (!text.prompt.empty()) SetWindowTextW(child(dialog::kPrompt), widen(text.prompt).c_str());
    if (!text.exitCaption.empty())
        SetWindowTextW(child(dialog::kExitButton), widen(text.exitCaption).c_str());
    setKeyboardFilter(hwnd_, this);
    place(windowDpi(hwnd_));
}

PortDialog::~PortDialog() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    for (HICON icon : icons_)
        if (icon) DestroyIcon(icon);
}

HWND PortDialog::child(std::string_view name) const {
    const layout::Element &e = dialog::element(name);
    return children_[std::size_t(&e - dialog::elements().data())];
}

void PortDialog::place(int dpi) {
    dpi_ = dpi;
    RECT frame{0, 0, layout::pixels(dialog::kWidth, dpi), layout::pixels(dialog::kHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, UINT(dpi));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    std::size_t row = 0;
    for (const layout::Element &e : dialog::elements()) {
        if (HWND made = children_[row++]) placeChild(made, e, dpi, fonts_.font(e.face, dpi));
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

startup::DialogEnd PortDialog::run(const startup::ConfirmPort &confirm) {
    confirm_ = &confirm;
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);
    // Labels take no focus: the exit button has it first.
    const std::vector<HWND> order = tabOrderWindows(
        dialog::elements(), [this](const layout::Element &e) { return child(e.name); });
    if (!order.empty()) SetFocus(order.front());
    runModal(hwnd_, done_);
    confirm_ = nullptr;
    ShowWindow(hwnd_, SW_HIDE);
    return done_ ? end_ : startup::DialogEnd::Closed;
}

void PortDialog::confirm() {
    if (confirm_ && (*confirm_)(link::win32::narrow(box_->text()))) {
        end_ = startup::DialogEnd::Confirmed;
        done_ = true;
    }
}

bool PortDialog::filterKey(const MSG &message) {
    return moveFocusByTab(message, tabOrderWindows(dialog::elements(), [this](const auto &e) {
                              return child(e.name);
                          }));
}

void PortDialog::paint(HDC dc) {
    RECT all;
    GetClientRect(hwnd_, &all);
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    const layout::Picture &backdrop = layout::picture::kDialogBackground;
    const RECT picture = toRect(layout::pixelRect(0, 0, dialog::kWidth, dialog::kHeight, dpi_));
    drawPicture(dc, pictures_.picture(backdrop.file), picture);
    Painter painter{fonts_, pictures_, dpi_};
    painter.skip = windowed;
    paintElements(dc, dialog::elements(), painter);
}

LRESULT CALLBACK PortDialog::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *self = windowObject<PortDialog>(hwnd, message, lParam);
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCCREATE) self->hwnd_ = hwnd;
    return self->handle(message, wParam, lParam);
}

LRESULT PortDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto painted = paintMessage(hwnd_, message, wParam, [this](HDC dc) { paint(dc); }))
        return *painted;
    switch (message) {
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            // The port box's text in its colour.
            const layout::Element &box = dialog::element(dialog::kPortBox);
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, toColour(box.text.value_or(layout::colour::kBlack)));
            SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        case WM_COMMAND: {
            const auto *e = elementOfId(dialog::elements(), LOWORD(wParam));
            if (e && e->name == dialog::kPortBox && box_) box_->notified(HIWORD(wParam));
            if (!e || HIWORD(wParam) != BN_CLICKED) return 0;
            if (e->name == dialog::kOkButton) confirm();
            if (e->name == dialog::kExitButton) {
                // Under either caption: the program ends.
                end_ = startup::DialogEnd::ExitProgram;
                done_ = true;
            }
            return 0;
        }
        case PortBox::kShowNumber:
            if (box_) box_->showNumber(int(wParam));
            return 0;
        case PortBox::kKeepText:
            if (box_) box_->keepText();
            return 0;
        case WM_DEVICECHANGE:  // a port may have come or gone
            if (box_) box_->devicesChanged();
            return TRUE;
        case WM_TIMER:
            if (wParam == PortBox::kSettleTimer && box_) box_->settled();
            return 0;
        case WM_CLOSE:
            end_ = startup::DialogEnd::Closed;
            done_ = true;
            return 0;
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
