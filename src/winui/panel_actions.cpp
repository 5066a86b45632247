// What the panel window does with its controls' events: each operator action
// runs the panel logic and makes one lamp state; the idle watch follows the
// device and its last-command record; the wheel steps the digit beneath it.

#include "layout/panel_layout.h"
#include "link/text_win32.h"
#include "winui/arrow_button.h"
#include "winui/child_controls.h"
#include "winui/lamp_control.h"
#include "winui/panel_window.h"

namespace zz::winui {

namespace table = layout::panel;
using layout::Kind;

void PanelWindow::command(const layout::Element &e, WORD code) {
    if (e.kind == Kind::UpArrow || e.kind == Kind::DownArrow) {
        // Steps of the acting arrow and of the Up and Down keys alike.
        if (code == kArrowStepUp) act([&] { logic_->upStep(e.index); });
        if (code == kArrowStepDown) act([&] { logic_->downStep(e.index); });
        return;
    }
    if (e.kind == Kind::EntryBox && code == kEntryEnter) return runEntry();
    if (code != BN_CLICKED) return;
    if (e.kind == Kind::LinkLamp) return resend();
    if (e.kind != Kind::Button) return;
    if (&e == &table::element(table::presetName(e.index)))
        act([&] { logic_->preset(e.index); });
    else if (e.name == "SetBut")
        runEntry();
    else if (e.name == "ExitBut")
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);  // closes the window; nothing is sent
}

void PanelWindow::act(const std::function<void()> &action) {
    lamp_.beginAction();
    action();
    lamp_.endAction();
    showLampNow();
}

void PanelWindow::resend() {
    act([this] { logic_->resend(); });
}

void PanelWindow::runEntry() {
    // An accepted value empties the box; a refused one stays for correcting.
    HWND entry = child("ManText");
    const int length = GetWindowTextLengthW(entry);
    std::wstring text(std::size_t(length) + 1, L'\0');
    GetWindowTextW(entry, text.data(), length + 1);
    text.resize(std::size_t(length));
    bool taken = false;
    act([&] { taken = logic_->enterValue(link::win32::narrow(text)); });
    if (taken) SetWindowTextW(entry, L"");
}

void PanelWindow::showLampNow() {
    showLamp(child("LinkLamp"),
             lamp_.view("COM" + std::to_string(serial_.port()), serial_.devicePath()));
    UpdateWindow(child("LinkLamp"));
}

void PanelWindow::watchLink() {
    lamp_.devicePresence(serial_.devicePresent());
    followRecord();
    watchProfile();
    showLampNow();
}

void PanelWindow::watchProfile() {
    if (const auto news = profile_.look(serial_.port())) logic_->setRules(profile_.rules(), *news);
}

void PanelWindow::switchTrueMode() {
    // Refused without a correction table: the switch goes back, the caption says why.
    const bool on = SendMessageW(trueSwitch_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (!logic_->setTrueMode(on)) captionChanged();
}

void PanelWindow::captionChanged() {
    const std::string &caption = logic_->caption();
    const std::wstring title =
        caption.empty() ? title_ : title_ + L" \u2014 " + link::win32::widen(caption);
    SetWindowTextW(hwnd_, title.c_str());
    SendMessageW(trueSwitch_, BM_SETCHECK, logic_->trueMode() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void PanelWindow::followRecord() {
    if (const auto record = follower_.news(serial_.devicePath()))
        if (logic_->follow(record->command)) lamp_.followed(*record);
}

bool PanelWindow::wheel(WPARAM wParam, LPARAM lParam) {
    POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
    ScreenToClient(hwnd_, &p);
    const layout::PixelRect readout = layout::pixelBox(table::element("SSPanel1"), dpi_);
    for (int i = 1; i <= frontpanel::ValueRegister::kDigits; ++i) {
        RECT digit = toRect(layout::pixelBox(table::element(table::digitName(i)), dpi_));
        OffsetRect(&digit, readout.left, readout.top);
        const RECT up = toRect(layout::pixelBox(table::element(table::upArrowName(i)), dpi_));
        const RECT down = toRect(layout::pixelBox(table::element(table::downArrowName(i)), dpi_));
        if (!PtInRect(&digit, p) && !PtInRect(&up, p) && !PtInRect(&down, p)) continue;
        const int notches = wheel_.add(i, GET_WHEEL_DELTA_WPARAM(wParam));
        act([&] {
            for (int n = 0; n < notches; ++n) logic_->upStep(i);
            for (int n = 0; n > notches; --n) logic_->downStep(i);
        });
        return true;
    }
    return false;
}

// Repaints happen now, not later: the new value is on screen before the
// possibly slow transmission starts.
void PanelWindow::repaintDigit(int i) {
    if (i < 1 || i > frontpanel::ValueRegister::kDigits) return;
    HWND digit = child(table::digitName(i));
    InvalidateRect(digit, nullptr, FALSE);
    UpdateWindow(digit);
}

void PanelWindow::repaintPanel() {
    // What a new value changes is the readout: the readout panel and its
    // digits are redrawn at once, not the whole window with its pictures
    // (a stretched background under Wine costs tens of milliseconds).
    RedrawWindow(child("SSPanel1"), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

Status PanelWindow::send(const std::string &command) {
    return link::sendCommand(serial_, command);
}

}  // namespace zz::winui
