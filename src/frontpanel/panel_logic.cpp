#include "frontpanel/panel_logic.h"

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

}  // namespace

PanelLogic::PanelLogic(ValueRegister &reg, PanelView &view, MessageBoxes &boxes)
    : reg_(reg), view_(view), boxes_(boxes) {}

void PanelLogic::send(const std::string &command) {
    // The panel's writers absorb a failed transmission: the readout keeps the
    // new value and the next successful command brings the instrument along.
    (void)view_.send(command);
}

bool PanelLogic::ninesFrom(int i) const {
    for (int k = i; k <= ValueRegister::kDigits; ++k)
        if (common::leadingNumber(reg_.digitText(k)) < 9) return false;
    return true;
}

void PanelLogic::upStep(int i) {
    if (i < 1 || i > ValueRegister::kDigits) return;
    // No decade above can take the carry: the value must never jump down, so
    // nothing changes and the unchanged value is sent once.
    if (!ninesFrom(i)) {
        const double digit = common::leadingNumber(reg_.digitText(i));
        if (digit < 9) {
            reg_.setDigitText(i, common::wholeNumberText(static_cast<long long>(digit) + 1));
            view_.repaintDigit(i);
        } else {
            reg_.setDigitText(i, "0");
            upStep(i + 1);
        }
    }
    send(reg_.displayText());
}

void PanelLogic::downStep(int i) {
    if (i < 1 || i > ValueRegister::kDigits) return;
    const double digit = common::leadingNumber(reg_.digitText(i));
    if (digit > 0) {
        reg_.setDigitText(i, common::wholeNumberText(static_cast<long long>(digit) - 1));
        view_.repaintDigit(i);
    }
    send(reg_.displayText());
}

bool PanelLogic::enterValue(const std::string &typed) {
    const Outcome<std::string> command = decideEntry(typed);
    if (!command) {
        const int why = command.status().number();
        if (why == kBlankEntry)
            boxes_.exclamation(panel_text::kNoValueTitle, panel_text::kNoValuePrompt);
        else
            boxes_.exclamation(panel_text::kOutOfRangeTitle, why == box::TooHigh
                                                                 ? panel_text::tooHighPrompt()
                                                                 : panel_text::tooLowPrompt());
        return false;
    }
    showCommandText(command.value());
    send(command.value());
    return true;
}

bool PanelLogic::follow(const std::string &command) {
    const std::optional<std::string> text = readoutTextOf(command);
    if (!text) return false;
    showCommandText(*text);
    return true;
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
    if (n >= 1 && n <= 6) {
        reg_.reset();
        reg_.setDigitText(n, "1");
        view_.repaintPanel();
        send(kPresetCommands[static_cast<size_t>(n)]);
    } else if (n == 7) {
        for (int i = 1; i <= ValueRegister::kDigits; ++i) reg_.setDigitText(i, "9");
        view_.repaintPanel();
        send(box::limitText(box::kMaxOhms));
    } else if (n == 0) {
        if (!boxes_.askYesNo(panel_text::kZeroTitle, panel_text::kZeroPrompt)) return;
        reg_.reset();
        view_.repaintPanel();
        send(box::limitText(box::kMinOhms));
    }
}

}  // namespace zz::frontpanel
