#include "web/panel_model.h"

#include "common/local_time.h"
#include "frontpanel/panel_texts.h"
#include "web/json_text.h"

#include <cstdio>
#include <ctime>

namespace zz::web {

namespace {

const char *colourName(frontpanel::LampColour colour) {
    switch (colour) {
        case frontpanel::LampColour::Green:
            return "green";
        case frontpanel::LampColour::Red:
            return "red";
        case frontpanel::LampColour::Amber:
            return "amber";
        case frontpanel::LampColour::Grey:
            break;
    }
    return "grey";
}

std::string clockText(std::chrono::system_clock::time_point when) {
    if (when == std::chrono::system_clock::time_point{}) return "";
    const std::tm local = common::localTime(std::chrono::system_clock::to_time_t(when));
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

}  // namespace

PanelModel::PanelModel(link::SerialControl &control, std::string portName)
    : control_(control),
      portName_(std::move(portName)),
      view_(control),
      logic_(register_, view_, boxes_),
      today_(profile::todayText()) {
    lamp_.devicePresence(control_.devicePresent());
    // What the box was last set to before this server started.
    lastRecord_ = link::readCommandRecord(control_.devicePath());
    if (lastRecord_ && logic_.follow(lastRecord_->command)) {
        lamp_.followed(*lastRecord_);
        setBy_ = lastRecord_->program;
        setAt_ = std::chrono::system_clock::time_point(
            std::chrono::milliseconds(lastRecord_->unixMillis));
    }
}

void PanelModel::setRules(profile::BoxRules rules) {
    rules_ = std::move(rules);
    logic_.setRules(rules_);
}

std::optional<PageMessage> PanelModel::apply(const Intent &intent) {
    using Kind = Intent::Kind;
    boxes_.shown.reset();
    lamp_.beginAction();
    switch (intent.kind) {
        case Kind::Up:
            logic_.upStep(intent.number);
            break;
        case Kind::Down:
            logic_.downStep(intent.number);
            break;
        case Kind::Preset:
            logic_.preset(intent.number);
            break;
        case Kind::Zero:
            logic_.preset(0);
            break;
        case Kind::Enter:
            logic_.enterValue(intent.text);
            break;
        case Kind::Resend:
            logic_.resend();
            break;
        case Kind::TrueMode:
            if (!logic_.setTrueMode(intent.number == 1))
                boxes_.shown = PageMessage{"True Ohms", logic_.caption()};
            break;
        case Kind::Ping:
            break;
    }
    lamp_.endAction();
    return boxes_.shown;
}

void PanelModel::commandSent(const std::string &command, const Status &status,
                             const std::string &sender, std::optional<double> celsius) {
    const auto now = std::chrono::system_clock::now();
    lamp_.commandSent(command, status, control_.devicePresent(), now);
    if (!status) return;  // the digits keep what the sender asked for
    logic_.follow(command);
    setBy_ = sender;
    setAt_ = now;
    if (history_) history_->add(now, command, celsius, sender);
    lastRecord_ = link::readCommandRecord(control_.devicePath());  // ours: not followed again
}

void PanelModel::poll() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPresenceLook_ >= std::chrono::seconds(1)) {
        lastPresenceLook_ = now;
        lamp_.devicePresence(control_.devicePresent());
    }
    const auto record = link::readCommandRecord(control_.devicePath());
    if (!record || record == lastRecord_) return;
    lastRecord_ = record;
    if (record->pid == link::currentProcessId()) return;  // sent through this server
    if (!logic_.follow(record->command)) return;
    lamp_.followed(*record);
    setBy_ = record->program + " (process " + std::to_string(record->pid) + ")";
    setAt_ = std::chrono::system_clock::time_point(std::chrono::milliseconds(record->unixMillis));
    if (history_) history_->add(setAt_, record->command, std::nullopt, setBy_);
}

std::string PanelModel::footerJson() const {
    // What the footer shows of the box's profile; names and offsets only when given.
    std::string json =
        ",\"trueMode\":" + std::string(logic_.trueMode() ? "true" : "false") +
        ",\"trueOffered\":" + (rules_.hasTable() ? "true" : "false") + ",\"trueText\":" +
        jsonString(logic_.trueMode() ? rules_.trueText(register_.displayText()) : std::string()) +
        ",\"note\":" + jsonString(logic_.caption()) +
        ",\"overdue\":" + jsonString(rules_.overdueWarning(today_));
    if (!rules_.name().empty()) json += ",\"boxName\":" + jsonString(rules_.name());
    if (rules_.serialOrZero() != "0") json += ",\"boxSerial\":" + jsonString(rules_.serialOrZero());
    if (rules_.profile() && rules_.profile()->leadOffsetOhms != 0) {
        char offset[32];
        std::snprintf(offset, sizeof offset, "%.3f", rules_.profile()->leadOffsetOhms);
        json += ",\"leadOffset\":" + jsonString(offset);
    }
    return json;
}

std::string PanelModel::stateJson() const {
    const frontpanel::LampView lamp = lamp_.view(portName_, control_.devicePath());
    return std::string("{\"type\":\"state\",\"readout\":") + jsonString(register_.displayText()) +
           ",\"lamp\":" + jsonString(colourName(lamp.colour)) +
           ",\"caption\":" + jsonString(lamp.caption) + ",\"tooltip\":" + jsonString(lamp.tooltip) +
           ",\"by\":" + jsonString(setBy_) + ",\"at\":" + jsonString(clockText(setAt_)) +
           ",\"port\":" + jsonString(portName_) + ",\"progress\":" + progressJson(progress_) +
           ",\"zeroTitle\":" + jsonString(frontpanel::panel_text::kZeroTitle) +
           ",\"zeroPrompt\":" + jsonString(frontpanel::panel_text::kZeroPrompt) + footerJson() +
           "}";
}

std::string PanelModel::messageJson(const PageMessage &message) {
    return "{\"type\":\"message\",\"title\":" + jsonString(message.title) +
           ",\"text\":" + jsonString(message.text) + "}";
}

}  // namespace zz::web
