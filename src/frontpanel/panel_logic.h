#pragma once
// What the panel's controls do to the value register: the digit wheels, direct
// entry, the presets and ZERO. Every writer sets the digits, has them repainted
// at once, then sends one command; a failed send changes nothing on screen and
// shows no message.
//
// The box's profile (profile::BoxRules) is asked before anything goes out: a
// value outside its limits, or any value while the profile is refused, is
// not sent and the digits keep what they show; the caption says why. In true
// mode a typed value or preset is the resistance wanted at the terminals and
// the digits are those of the correction table that come nearest.

#include "common/status.h"
#include "frontpanel/message_boxes.h"
#include "frontpanel/value_register.h"
#include "profile/box_rules.h"

#include <optional>
#include <string>
#include <vector>

namespace zz::frontpanel {

// What the logic needs from the window that shows the register.
class PanelView {
public:
    virtual ~PanelView() = default;
    virtual void repaintDigit(int i) = 0;
    virtual void repaintPanel() = 0;
    virtual Status send(const std::string &command) = 0;  // sendCommand
    // The caption's text changed (PanelLogic::caption()).
    virtual void captionChanged() {}
};

class PanelLogic {
public:
    PanelLogic(ValueRegister &reg, PanelView &view, MessageBoxes &boxes);

    // Up arrow of digit i: raise it, carrying into the next decade. Each nested step
    // sends before it returns, so a carry over k digits sends k + 1 times; when one
    // of those would leave the limits only the final value goes, if it may.
    void upStep(int i);
    // Down arrow of digit i: lower it; a "0" stays "0" (no borrow). Always sends.
    void downStep(int i);
    // "&Set Value" / Enter. True when the value was taken (the box is then emptied).
    bool enterValue(const std::string &typed);
    // Preset button n, n = 0 (ZERO, after confirmation) .. 7 (99999.9).
    void preset(int n);
    // The readout's seven characters again (the lamp, F5), when they may go.
    void resend();
    // Another program of ours sent `command` to the box: the digits show its
    // value and nothing is sent. False, and nothing changes, when the text is
    // not a plain decimal value of 0.0 to 99999.9.
    bool follow(const std::string &command);

    // The box's profile as read now. `news` ("the profile … was read again")
    // goes to the caption; a refused profile's reason always does, and an
    // overdue correction table's warning does once in the logic's life.
    void setRules(const profile::BoxRules &rules, const std::string &news = {});
    const profile::BoxRules &rules() const { return rules_; }
    // True mode, off at first; switching it on is refused without a
    // correction table (false, the caption says why). A profile without a
    // table switches it off.
    bool setTrueMode(bool on);
    bool trueMode() const { return trueMode_; }
    // Whether the start command may go after `lastCommand`, what the
    // device's last-command record says the box holds (nothing: not known).
    // When not, the caption says why and the digits show the record's value.
    bool startAllowed(const std::optional<std::string> &lastCommand = std::nullopt);
    // The start command was sent, or its sending failed.
    void startSent(const Status &status);

    // The footer's caption: the last refusal or news, else in true mode what
    // the box holds ("01000.0 → 999.97 Ω true"); empty otherwise.
    const std::string &caption() const { return caption_; }

    // Today as profiles write dates; tests set another day.
    void setToday(std::string today) { today_ = std::move(today); }

private:
    void showCommandText(const std::string &text);
    bool ninesFrom(int i) const;
    void send(const std::string &command);
    void carryUp(int i);
    std::optional<double> heldOhms() const;
    // Where the next change is measured from: what the box last took, as far
    // as the panel knows, else the readout.
    std::optional<double> changeFrom() const;
    // Whether `command` may go after the readout; the refusal in the caption.
    bool allowed(const std::string &command);
    // A typed value or preset refused by the profile: the message box too.
    void refuseValue(const Status &why);
    void setCaption(std::string text);
    void captionAfterSend();
    // Typed values and presets: the digits for `ohms` in the current mode.
    Outcome<std::string> targetCommand(const std::string &nominal);

    ValueRegister &reg_;
    PanelView &view_;
    MessageBoxes &boxes_;
    profile::BoxRules rules_;
    // The value the box last took: sent by the panel, followed from another
    // sender or read from the device's record. A failed send leaves it, so
    // the largest change per command counts from what the box really holds.
    std::optional<double> boxOhms_;
    bool trueMode_ = false;
    bool overdueShown_ = false;
    std::string caption_;
    std::string today_;
};

}  // namespace zz::frontpanel
