#include "frontpanel/panel_logic.h"

#include "box/ohms_command.h"
#include "box/range.h"
#include "common/leading_number.h"
#include "common/number_text.h"
#include "frontpanel/direct_entry.h"
#include "frontpanel/panel_texts.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace zz::frontpanel {

namespace {

// Command texts of the presets 1..6 (index 0 unused): fixed, no leading zeros.
constexpr std::array<const char *, 7> kPresetCommands = {"",      "0.1",    "1.0",    "10.0",
                                                         "100.0", "1000.0", "10000.0"};

// A command text our senders write ("01234.5", "0.1", "10000") as the
// readout's seven characters; nothing for anything else.
std::optional<std::string> readoutTextOf(const std::string &command) {
    const std::optional<double> ohms = box::commandOhms(command);
    if (!ohms) return std::nullopt;
    return common::formatFixed00000_0(*ohms);
}

// The command of preset n (0 = ZERO .. 7), as the panel has always sent it.
std::string presetCommand(int n) {
    if (n >= 1 && n <= 6) return kPresetCommands[static_cast<size_t>(n)];
    return box::limitText(n == 7 ? box::kMaxOhms : box::kMinOhms);
}

}  // namespace

PanelLogic::PanelLogic(ValueRegister &reg, PanelView &view, MessageBoxes &boxes)
    : reg_(reg), view_(view), boxes_(boxes), today_(profile::todayText()) {}

void PanelLogic::send(const std::string &command) {
    // The panel's writers absorb a failed transmission: the readout keeps the
    // new value and the next successful command brings the instrument along.
    if (view_.send(command)) boxOhms_ = box::commandOhms(command);
}

bool PanelLogic::ninesFrom(int i) const {
    for (int k = i; k <= ValueRegister::kDigits; ++k)
        if (common::leadingNumber(reg_.digitText(k)) < 9) return false;
    return true;
}

std::optional<double> PanelLogic::heldOhms() const {
    return box::commandOhms(reg_.displayText());
}

std::optional<double> PanelLogic::changeFrom() const {
    return boxOhms_ ? boxOhms_ : heldOhms();
}

void PanelLogic::setCaption(std::string text) {
    if (text == caption_) return;
    caption_ = std::move(text);
    view_.captionChanged();
}

void PanelLogic::captionAfterSend() {
    setCaption(trueMode_ ? rules_.trueText(reg_.displayText()) : std::string());
}

bool PanelLogic::allowed(const std::string &command) {
    if (const Status status = rules_.checkCommand(command, changeFrom()); !status) {
        setCaption(status.text());
        return false;
    }
    return true;
}

void PanelLogic::refuseValue(const Status &why) {
    setCaption(why.text());
    boxes_.exclamation(rules_.usable() ? panel_text::kOutOfRangeTitle : panel_text::kProfileTitle,
                       why.text());
}

void PanelLogic::upStep(int i) {
    if (i < 1 || i > ValueRegister::kDigits) return;
    // The carry sends one command per decade, all of the new value: they go
    // as they always have when each may, else only the last one.
    int sends = 1;
    std::string after = reg_.displayText();
    if (!ninesFrom(i)) {
        int top = i;
        while (common::leadingNumber(reg_.digitText(top)) >= 9) ++top;
        sends = top - i + 1;
        const double weight = std::pow(10.0, i - 2);
        after = common::formatFixed00000_0(*heldOhms() + weight);
    }
    const std::vector<std::string> commands(static_cast<size_t>(sends), after);
    if (rules_.checkCommands(commands, changeFrom())) {
        carryUp(i);
    } else if (!allowed(after)) {
        return;
    } else {
        showCommandText(after);
        send(after);
    }
    captionAfterSend();
}

void PanelLogic::carryUp(int i) {
    // No decade above can take the carry: the value must never jump down, so
    // nothing changes and the unchanged value is sent once.
    if (!ninesFrom(i)) {
        const double digit = common::leadingNumber(reg_.digitText(i));
        if (digit < 9) {
            reg_.setDigitText(i, common::wholeNumberText(static_cast<long long>(digit) + 1));
            view_.repaintDigit(i);
        } else {
            reg_.setDigitText(i, "0");
            carryUp(i + 1);
        }
    }
    send(reg_.displayText());
}

void PanelLogic::downStep(int i) {
    if (i < 1 || i > ValueRegister::kDigits) return;
    const double digit = common::leadingNumber(reg_.digitText(i));
    if (digit > 0 && !allowed(common::formatFixed00000_0(*heldOhms() - std::pow(10.0, i - 2))))
        return;
    if (digit == 0 && !allowed(reg_.displayText())) return;
    if (digit > 0) {
        reg_.setDigitText(i, common::wholeNumberText(static_cast<long long>(digit) - 1));
        view_.repaintDigit(i);
    }
    send(reg_.displayText());
    captionAfterSend();
}

Outcome<std::string> PanelLogic::targetCommand(const std::string &nominal) {
    const profile::SetMode mode = trueMode_ ? profile::SetMode::True : profile::SetMode::Nominal;
    const Outcome<profile::PreparedValue> prepared =
        rules_.prepare(*box::commandOhms(nominal), false, mode, changeFrom());
    if (!prepared) return prepared.status();
    // Nominal values go in the panel's own texts ("0.1", "99999.9").
    return trueMode_ ? prepared.value().command : nominal;
}

bool PanelLogic::enterValue(const std::string &typed) {
    const Outcome<std::string> entry = decideEntry(typed);
    if (!entry) {
        const int why = entry.status().number();
        if (why == kBlankEntry)
            boxes_.exclamation(panel_text::kNoValueTitle, panel_text::kNoValuePrompt);
        else
            boxes_.exclamation(panel_text::kOutOfRangeTitle, why == box::TooHigh
                                                                 ? panel_text::tooHighPrompt()
                                                                 : panel_text::tooLowPrompt());
        return false;
    }
    const Outcome<std::string> command = targetCommand(entry.value());
    if (!command) {
        refuseValue(command.status());
        return false;
    }
    showCommandText(*readoutTextOf(command.value()));
    send(command.value());
    captionAfterSend();
    return true;
}

bool PanelLogic::follow(const std::string &command) {
    const std::optional<std::string> text = readoutTextOf(command);
    if (!text) return false;
    boxOhms_ = box::commandOhms(command);
    showCommandText(*text);
    captionAfterSend();
    return true;
}

void PanelLogic::resend() {
    if (!allowed(reg_.displayText())) return;
    send(reg_.displayText());
}

void PanelLogic::showCommandText(const std::string &text) {
    // "ddddd.d": digits 6..2, the point, digit 1.
    reg_.reset();
    reg_.setDigitText(1, text.substr(6, 1));
    for (int i = 2; i <= ValueRegister::kDigits; ++i)
        reg_.setDigitText(i, text.substr(static_cast<size_t>(ValueRegister::kDigits - i), 1));
    view_.repaintPanel();
}

void PanelLogic::preset(int n) {
    if (n < 0 || n > 7) return;
    const Outcome<std::string> command = targetCommand(presetCommand(n));
    if (!command) return refuseValue(command.status());
    if (n == 0 && !boxes_.askYesNo(panel_text::kZeroTitle, panel_text::kZeroPrompt)) return;
    if (trueMode_) {
        showCommandText(*readoutTextOf(command.value()));
    } else if (n >= 1 && n <= 6) {
        reg_.reset();
        reg_.setDigitText(n, "1");
        view_.repaintPanel();
    } else if (n == 7) {
        for (int i = 1; i <= ValueRegister::kDigits; ++i) reg_.setDigitText(i, "9");
        view_.repaintPanel();
    } else {
        reg_.reset();
        view_.repaintPanel();
    }
    send(command.value());
    captionAfterSend();
}

void PanelLogic::setRules(const profile::BoxRules &rules, const std::string &news) {
    rules_ = rules;
    std::string text = news;
    const auto add = [&text](const std::string &more) {
        if (more.empty()) return;
        text += (text.empty() ? "" : "; ") + more;
    };
    if (trueMode_ && !rules_.hasTable()) {
        trueMode_ = false;
        add("true values off: the profile has no correction table now");
    }
    if (const Status usable = rules_.usable(); !usable) add(usable.text());
    if (const std::string overdue = rules_.overdueWarning(today_);
        !overdue.empty() && !overdueShown_) {
        overdueShown_ = true;
        add(overdue);
    }
    if (text.empty()) return captionAfterSend();
    setCaption(text);
}

bool PanelLogic::setTrueMode(bool on) {
    if (on && !rules_.hasTable()) {
        setCaption("true values need a correction table ([table]) in the box's profile");
        return false;
    }
    trueMode_ = on;
    captionAfterSend();
    return true;
}

bool PanelLogic::startAllowed(const std::optional<std::string> &lastCommand) {
    const std::optional<double> last = lastCommand ? box::commandOhms(*lastCommand) : std::nullopt;
    if (const Status status = rules_.checkCommand(box::kStartCommand, last); !status) {
        // The box keeps what it was last set to: the digits say so.
        if (last) follow(*lastCommand);
        setCaption("the start value " + box::limitText(box::kStartOhms) +
                   " \u03A9 was not sent: " + status.text());
        return false;
    }
    boxOhms_ = last;
    return true;
}

void PanelLogic::startSent(const Status &status) {
    if (status) boxOhms_ = box::kStartOhms;
}

}  // namespace zz::frontpanel
