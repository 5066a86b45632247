#pragma once
// The panel window: the instrument's front panel drawn from the panel's
// layout table, its menu bar ("COM Port", "About") and its fixed dialog
// frame. What its controls do is frontpanel::PanelLogic's; the window
// forwards their events, repaints at once and shows the link lamp. It also
// watches its device's last-command record, so a value that another program
// of ours sent shows in the digits without being sent again, and on the same
// timer its port's box profile; the caption after the version says what the
// rules refused, what the profile's reading brought and, with the footer's
// true-ohms switch on, what the box holds.

#include "frontpanel/link_lamp.h"
#include "frontpanel/panel_logic.h"
#include "frontpanel/panel_profile.h"
#include "frontpanel/record_follower.h"
#include "frontpanel/value_register.h"
#include "frontpanel/wheel_notches.h"
#include "link/serial_control.h"
#include "winui/drawn_elements.h"
#include "winui/fonts.h"
#include "winui/message_loop.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zz::winui {

class PanelWindow : private frontpanel::PanelView, private KeyboardFilter {
public:
    // Created invisible; its creation steps run (background and border over
    // the outer size, the version in the caption). The control and the boxes
    // outlive the window.
    PanelWindow(link::SerialControl &serial, frontpanel::MessageBoxes &boxes);
    ~PanelWindow() override;
    PanelWindow(const PanelWindow &) = delete;
    PanelWindow &operator=(const PanelWindow &) = delete;

    HWND window() const { return hwnd_; }
    void show();
    frontpanel::ValueRegister &digits() { return register_; }
    // Repaints the whole window now.
    void repaintPanel() override;

    // The menu commands, wired by the start-up.
    void setComPortCommand(std::function<void()> command) { comPort_ = std::move(command); }
    void setAboutCommand(std::function<void()> command) { about_ = std::move(command); }

    // Sends the readout's seven characters again (the lamp, F5).
    void resend();
    // Looks at the device and its last-command record now (once a second,
    // and whenever the records' folder changes).
    void watchLink();
    // The records' folder as a change notification (null when there is none).
    HANDLE recordChanges() const { return recordChanges_; }
    // Reads the port's profile when it changed, or the port did.
    void watchProfile();
    frontpanel::PanelLogic &logic() { return *logic_; }

    // How often the device's presence is looked at while idle.
    static constexpr UINT kPresenceCheckMs = 1000;

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool filterKey(const MSG &message) override;
    void repaintDigit(int i) override;
    Status send(const std::string &command) override;
    void captionChanged() override;
    void switchTrueMode();

    HWND child(std::string_view name) const;
    void place(int dpi);
    void paint(HDC dc);
    RECT boxOf(const layout::Element &element) const;
    void command(const layout::Element &element, WORD code);
    void act(const std::function<void()> &action);
    void runEntry();
    void showLampNow();
    void followRecord();
    bool wheel(WPARAM wParam, LPARAM lParam);

    link::SerialControl &serial_;
    frontpanel::ValueRegister register_;
    std::unique_ptr<frontpanel::PanelLogic> logic_;
    HWND hwnd_ = nullptr;
    HICON icons_[2] = {};
    std::vector<HWND> children_;  // by table row; null for drawn rows
    std::vector<HWND> tabOrder_;
    int dpi_ = 96;
    SIZE outer_{};  // the window's outer size: the background's box
    FontSet fonts_;
    PictureSet pictures_;
    std::function<void()> comPort_, about_;
    frontpanel::LinkLamp lamp_;
    frontpanel::WheelNotches wheel_;
    HANDLE recordChanges_ = nullptr;
    frontpanel::RecordFollower follower_;
    frontpanel::PanelProfile profile_;
    HWND trueSwitch_ = nullptr;
    std::wstring title_;  // the caption with the version
};

}  // namespace zz::winui
