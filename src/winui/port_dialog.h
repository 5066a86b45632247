#pragma once
// The port dialog "Set Communication Port": the prompt, "COM" and the port
// box (an editable drop-down of "1".."20", each with what it leads to), the
// exit button ("&Exit", or "&Close" from the panel's menu) and "&OK".
// Created afresh for each opening and shown modally; what confirming does is
// startup's.

#include "startup/start_ui.h"
#include "winui/drawn_elements.h"
#include "winui/fonts.h"
#include "winui/message_loop.h"
#include "winui/port_box.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace zz::winui {

class PortDialog : private KeyboardFilter {
public:
    // `ports` outlives the dialog.
    PortDialog(const startup::PortDialogText &text, startup::PortListing &ports);
    ~PortDialog() override;
    PortDialog(const PortDialog &) = delete;
    PortDialog &operator=(const PortDialog &) = delete;

    // Modal until a port is confirmed, the close box is used or the exit
    // button is pressed.
    startup::DialogEnd run(const startup::ConfirmPort &confirm);

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool filterKey(const MSG &message) override;
    HWND child(std::string_view name) const;
    void place(int dpi);
    void paint(HDC dc);
    void confirm();

    HWND hwnd_ = nullptr;
    std::vector<HWND> children_;  // by table row; null for drawn rows
    std::unique_ptr<PortBox> box_;
    const startup::ConfirmPort *confirm_ = nullptr;
    startup::DialogEnd end_ = startup::DialogEnd::Closed;
    bool done_ = false;
    int dpi_ = 96;
    HICON icons_[2] = {};
    FontSet fonts_;
    PictureSet pictures_;
};

}  // namespace zz::winui
