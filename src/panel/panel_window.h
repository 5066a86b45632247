#pragma once
// The panel window: the main window, drawn like the instrument's front panel.
// It shows the value register as six large digits and sends every change
// through the serial control its creator hands it.
// The logic of the wheels, direct entry and presets lives in PanelLogic; this
// window only lays out the controls, forwards their events and repaints.
//
// The link lamp in the footer shows whether the last command reached the box.
// The panel also watches the last-command record of its device: a value that
// another program of ours sent shows in the digits without being sent again.
// On the same timer it looks at its port's box profile, which holds what it
// sends to the profile's limits; the caption after the version says what the
// rules refused, what the profile's reading brought and, with the footer's
// true-ohms switch on, what the box holds.

#include "frontpanel/link_lamp.h"
#include "frontpanel/panel_logic.h"
#include "frontpanel/panel_profile.h"
#include "frontpanel/record_follower.h"
#include "frontpanel/value_register.h"
#include "frontpanel/wheel_notches.h"
#include "layout/panel_layout.h"
#include "link/serial_control.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zz::panel {

class PanelWindow : public QMainWindow, private frontpanel::PanelView {
    Q_OBJECT

public:
    // Runs the creation steps (layout, caption with version, colours). The
    // control and the boxes outlive the window.
    PanelWindow(link::SerialControl &serial, frontpanel::MessageBoxes &boxes);
    ~PanelWindow() override;

    // The panel's public operations.
    Status sendCommand(const std::string &command);
    void reset();
    void setDisplay(const std::string &digits);

    link::SerialControl &serialControl() { return serial_; }
    frontpanel::ValueRegister &digits() { return register_; }

    // The menu commands "COM Port" and "About" are wired by the start-up.
    void setComPortCommand(std::function<void()> command);
    void setAboutCommand(std::function<void()> command);

    // Sends the readout's seven characters again (the lamp, F5).
    void resend();
    // Looks at the device and its last-command record now, as the idle
    // watch does (at most a second apart, and whenever a record changes).
    void watchLink();
    const frontpanel::LinkLamp &lamp() const { return lamp_; }
    // Reads the port's profile when it changed, or the port did.
    void watchProfile();
    frontpanel::PanelLogic &logic() { return *logic_; }

    // How often the device's presence is looked at while idle.
    static constexpr int kPresenceCheckMs = 1000;

    // The client area below the menu bar, in pixels.
    static constexpr int kClientWidth = layout::pixels(layout::panel::kClientWidth);
    static constexpr int kClientHeight = layout::pixels(layout::panel::kClientHeight);
    // The designed frame around it: a fixed dialog border on every side and a
    // title bar above the menu bar. The background spans the outer size they make.
    static constexpr int kFrameBorder = 3;
    static constexpr int kTitleBar = 19;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One operator action: its commands' outcomes make one lamp state.
    void act(const std::function<void()> &action);
    void showLamp();
    void followRecord();
    void runEntry();
    void repaintDigit(int i) override;
    void repaintPanel() override;
    Status send(const std::string &command) override;
    void captionChanged() override;
    void switchTrueMode(bool on);

    struct Widgets;
    link::SerialControl &serial_;
    frontpanel::ValueRegister register_;
    std::unique_ptr<Widgets> w_;
    std::unique_ptr<frontpanel::PanelLogic> logic_;
    std::function<void()> comPortCommand_;
    std::function<void()> aboutCommand_;
    frontpanel::LinkLamp lamp_;
    QTimer presenceTimer_;
    frontpanel::WheelNotches wheel_;
    frontpanel::RecordFollower follower_;  // the device's last-command record
    frontpanel::PanelProfile profile_;
    QString title_;  // the caption with the version
};

}  // namespace zz::panel
