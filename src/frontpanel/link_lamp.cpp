#include "frontpanel/link_lamp.h"

#include "common/local_time.h"
#include "link/command_record.h"

#include <ctime>

namespace zz::frontpanel {

namespace {

std::string clockText(LinkLamp::Time when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const std::tm local = common::localTime(seconds);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

}  // namespace

void LinkLamp::beginAction() {
    if (actionDepth_++ == 0) actionFailed_ = false;
}

void LinkLamp::endAction() {
    if (actionDepth_ > 0) --actionDepth_;
}

void LinkLamp::commandSent(const std::string &command, const Status &status, bool present,
                           Time when) {
    absent_ = !present;
    if (status) {
        if (actionDepth_ > 0 && actionFailed_) return;  // the action's failure stands
        last_ = Last::Sent;
        detail_.clear();
    } else {
        if (actionDepth_ > 0) actionFailed_ = true;
        last_ = Last::Failed;
        detail_ = status.text();
    }
    stale_ = false;  // the newest outcome is the news
    command_ = command;
    when_ = when;
}

void LinkLamp::devicePresence(bool present) {
    if (!present) {
        absent_ = true;
        stale_ = false;
    } else if (absent_) {
        absent_ = false;
        stale_ = last_ != Last::Nothing;
    }
}

void LinkLamp::followed(const link::CommandRecord &record) {
    last_ = Last::Followed;
    stale_ = false;
    command_ = record.command;
    detail_ = record.program + " (process " + std::to_string(record.pid) + ")";
    when_ = Time(std::chrono::milliseconds(record.unixMillis));
}

LampView LinkLamp::view(const std::string &port, const std::string &device) const {
    if (stale_)
        return {LampColour::Amber, "Resend?",
                port +
                    " came back: the box may still hold an older value. "
                    "Click here or press F5 to send the readout again."};
    if (last_ == Last::Failed)
        return {LampColour::Red, "Not sent",
                "\"" + command_ + "\" not sent at " + clockText(when_) + ": " + detail_};
    if (absent_)
        return {LampColour::Grey, port + " not present", port + ": " + device + " does not exist"};
    switch (last_) {
        case Last::Sent:
            return {LampColour::Green, "Sent " + command_,
                    "\"" + command_ + "\" sent to " + port + " at " + clockText(when_)};
        case Last::Followed:
            return {LampColour::Green, "Set by " + detail_.substr(0, detail_.find(' ')),
                    "\"" + command_ + "\" sent by " + detail_ + " at " + clockText(when_)};
        default:
            return {LampColour::Grey, "No command yet", "Nothing sent to " + port + " yet"};
    }
}

}  // namespace zz::frontpanel
