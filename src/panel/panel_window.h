#pragma once
// The panel window: the main window, drawn like the instrument's front panel.
// It shows the value register as six large digits and sends every change
// through the serial control its creator hands it.
// The logic of the wheels, direct entry and presets lives in PanelLogic; this
// window only lays out the controls, forwards their events and repaints.

#include "link/serial_control.h"
#include "panel/model/panel_logic.h"
#include "panel/model/value_register.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zz {

class PanelWindow : public QMainWindow, private PanelView {
    Q_OBJECT

public:
    // Runs the creation steps (layout, caption with version, colours). The
    // control and the boxes outlive the window.
    PanelWindow(SerialControl &serial, MessageBoxes &boxes);
    ~PanelWindow() override;

    // The panel's public operations.
    Status sendCommand(const std::string &command);
    void reset();
    void setDisplay(const std::string &digits);

    SerialControl &serialControl() { return serial_; }
    ValueRegister &digits() { return register_; }

    // The menu commands "COM Port" and "About" are wired by the start-up.
    void setComPortCommand(std::function<void()> command);
    void setAboutCommand(std::function<void()> command);

    // The client area below the menu bar, in pixels.
    static constexpr int kClientWidth = 398;
    static constexpr int kClientHeight = 332;
    // The designed frame around it: a fixed dialog border on every side and a
    // title bar above the menu bar. The background spans the outer size they make.
    static constexpr int kFrameBorder = 3;
    static constexpr int kTitleBar = 19;

private:
    void runEntry();
    void repaintDigit(int i) override;
    void repaintPanel() override;
    Status send(const std::string &command) override;

    struct Widgets;
    SerialControl &serial_;
    ValueRegister register_;
    std::unique_ptr<Widgets> w_;
    std::unique_ptr<PanelLogic> logic_;
    std::function<void()> comPortCommand_;
    std::function<void()> aboutCommand_;
};

}  // namespace zz
