#pragma once
// What the panel's controls do to the value register: the digit wheels, direct
// entry, the presets and ZERO. Every writer sets the digits, has them repainted
// at once, then sends one command; a failed send changes nothing on screen and
// shows no message.

#include "common/status.h"
#include "frontpanel/message_boxes.h"
#include "frontpanel/value_register.h"

#include <string>

namespace zz::frontpanel {

// What the logic needs from the window that shows the register.
class PanelView {
public:
    virtual ~PanelView() = default;
    virtual void repaintDigit(int i) = 0;
    virtual void repaintPanel() = 0;
    virtual Status send(const std::string &command) = 0;  // sendCommand
};

class PanelLogic {
public:
    PanelLogic(ValueRegister &reg, PanelView &view, MessageBoxes &boxes);

    // Up arrow of digit i: raise it, carrying into the next decade. Each nested step
    // sends before it returns, so a carry over k digits sends k + 1 times.
    void upStep(int i);
    // Down arrow of digit i: lower it; a "0" stays "0" (no borrow). Always sends.
    void downStep(int i);
    // "&Set Value" / Enter. True when the value was taken (the box is then emptied).
    bool enterValue(const std::string &typed);
    // Preset button n, n = 0 (ZERO, after confirmation) .. 7 (99999.9).
    void preset(int n);
    // Another program of ours sent `command` to the box: the digits show its
    // value and nothing is sent. False, and nothing changes, when the text is
    // not a plain decimal value of 0.0 to 99999.9.
    bool follow(const std::string &command);

private:
    void showCommandText(const std::string &text);
    bool ninesFrom(int i) const;
    void send(const std::string &command);

    ValueRegister &reg_;
    PanelView &view_;
    MessageBoxes &boxes_;
};

}  // namespace zz::frontpanel
