#pragma once
// The port dialog's box on Win32: the combo box of the numbers "1".."20",
// each with what it leads to on this machine (startup::PortListing), read
// afresh as its list drops down and when Windows says that a device came or
// went. The box's text stays the number typed or chosen; its tooltip says
// where that number leads and why it cannot be opened.

#include <windows.h>

#include <string>

namespace zz::startup {
class PortListing;
}

namespace zz::winui {

class PortBox {
public:
    // Posted to the dialog with an entry's index once the box has put the
    // chosen entry's whole text in: the number replaces it.
    static constexpr UINT kShowNumber = WM_APP + 1;
    // Posted as the list drops down: dropping it puts the whole text of the
    // entry that the box's text begins with into the box; the text typed
    // before comes back.
    static constexpr UINT kKeepText = WM_APP + 2;
    // The dialog's timer that ends a burst of device changes.
    static constexpr UINT_PTR kSettleTimer = 1;

    // `box` is the dialog's combo box; `ports` outlives this.
    PortBox(HWND box, startup::PortListing &ports);
    ~PortBox();
    PortBox(const PortBox &) = delete;
    PortBox &operator=(const PortBox &) = delete;

    void preset(const std::string &text);
    std::wstring text() const;

    // What the dialog passes on: the box's notifications (WM_COMMAND's
    // code), kShowNumber, kKeepText, WM_DEVICECHANGE and kSettleTimer's
    // WM_TIMER.
    void notified(WORD code);
    void showNumber(int index);
    void keepText();
    void devicesChanged();
    void settled();

private:
    void showEntries();
    void updateTip();

    HWND box_;
    HWND tip_ = nullptr;
    std::wstring beforeDrop_;
    startup::PortListing &ports_;
};

}  // namespace zz::winui
