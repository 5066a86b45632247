#pragma once
// What the panel's link lamp says about the box: whether the last command
// reached it, failed, or was sent by another program of ours, and whether the
// device has gone or come back since. The panel's value handlers absorb a
// failed send (the readout keeps the new value); this lamp is where the
// operator sees that the box did not get it.

#include "common/status.h"

#include <chrono>
#include <string>

namespace zz::link {
struct CommandRecord;
}

namespace zz::frontpanel {

enum class LampColour { Grey, Green, Red, Amber };

struct LampView {
    LampColour colour = LampColour::Grey;
    std::string caption;
    std::string tooltip;
};

class LinkLamp {
public:
    using Time = std::chrono::system_clock::time_point;

    // One operator action may send several commands (a carry sends one per
    // decade). Between begin and end, a failure is not cleared by a later
    // success: the box may hold a value between the old and the new.
    void beginAction();
    void endAction();

    // A command of ours went out whole or failed; `present` is whether the
    // device existed right after.
    void commandSent(const std::string &command, const Status &status, bool present, Time when);
    // The idle look at the device.
    void devicePresence(bool present);
    // Another program of ours set the box.
    void followed(const link::CommandRecord &record);

    // The lamp for port `port` ("COM3") whose device is `device`.
    LampView view(const std::string &port, const std::string &device) const;

private:
    enum class Last { Nothing, Sent, Failed, Followed };
    Last last_ = Last::Nothing;
    bool absent_ = false;
    bool stale_ = false;  // the device came back: the box may hold an older value
    int actionDepth_ = 0;
    bool actionFailed_ = false;
    std::string command_;
    std::string detail_;  // the reason, or the sender's name
    Time when_{};
};

}  // namespace zz::frontpanel
