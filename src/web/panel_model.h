#pragma once
// The front panel as the pages see it: the panel's own value register, rules
// (PanelLogic, decideEntry) and link lamp, kept on the link's thread. A page
// intent becomes exactly the commands the desktop panel sends for the same
// action; the register follows what other senders set, from their
// commands through this server and from the device's last-command record.

#include "frontpanel/link_lamp.h"
#include "frontpanel/message_boxes.h"
#include "frontpanel/panel_logic.h"
#include "frontpanel/value_register.h"
#include "link/command_record.h"
#include "link/serial_control.h"
#include "profile/box_rules.h"
#include "web/page_message.h"
#include "web/run_progress.h"
#include "web/value_history.h"

#include <chrono>
#include <optional>
#include <string>

namespace zz::web {

// A refusal shown on the page that asked, in the panel's words.
struct PageMessage {
    std::string title;
    std::string text;  // lines separated by carriage returns, as the panel's
};

class PanelModel {
public:
    // `portName` as the lamp names the port: "COM3", or the device given.
    PanelModel(link::SerialControl &control, std::string portName);

    // Carries out one page's intent; sends through `sendCommand`.
    std::optional<PageMessage> apply(const Intent &intent);
    // Every command that went out through the link, whoever sent it.
    // `celsius`: the temperature it stands for, when a sensor's value set it.
    void commandSent(const std::string &command, const Status &status, const std::string &sender,
                     std::optional<double> celsius = std::nullopt);
    // Looks at the last-command record (and, once a second, the device).
    void poll();
    // The box's profile as the server last read it: its limits, table and
    // name. The panel's logic holds every intent to it.
    void setRules(profile::BoxRules rules);
    const profile::BoxRules &rules() const { return rules_; }
    // Where every value set is kept (none: not kept); it outlives the model.
    void keepHistoryIn(ValueHistory *history) { history_ = history; }
    // A running program's or ramp's progress; nothing when none runs.
    void setProgress(std::optional<RunProgress> progress) { progress_ = std::move(progress); }

    // The state every page shows, as the JSON message pushed to them; with
    // the footer's true-ohms switch (on, offered), the true text, the
    // caption's note, the overdue warning, the box's name and serial and
    // its lead offset from the profile.
    std::string stateJson() const;
    // Today as profiles write dates; tests set another day.
    void setToday(std::string today) {
        today_ = today;
        logic_.setToday(std::move(today));
    }
    static std::string messageJson(const PageMessage &message);

private:
    class View : public frontpanel::PanelView {
    public:
        explicit View(link::SerialControl &control) : control_(control) {}
        void repaintDigit(int) override {}
        void repaintPanel() override {}
        Status send(const std::string &command) override {
            return link::sendCommand(control_, command);
        }

    private:
        link::SerialControl &control_;
    };
    class Boxes : public frontpanel::MessageBoxes {
    public:
        void exclamation(const std::string &title, const std::string &text) override {
            shown = PageMessage{title, text};
        }
        bool askYesNo(const std::string &, const std::string &) override { return true; }
        std::optional<PageMessage> shown;
    };

    link::SerialControl &control_;
    std::string portName_;
    frontpanel::ValueRegister register_;
    View view_;
    Boxes boxes_;
    frontpanel::PanelLogic logic_;
    frontpanel::LinkLamp lamp_;
    std::optional<link::CommandRecord> lastRecord_;
    std::string setBy_;
    std::chrono::system_clock::time_point setAt_{};
    std::chrono::steady_clock::time_point lastPresenceLook_{};
    profile::BoxRules rules_;
    ValueHistory *history_ = nullptr;
    std::optional<RunProgress> progress_;
    std::string today_;

    std::string footerJson() const;
};

}  // namespace zz::web
