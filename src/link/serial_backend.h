#pragma once
// The platform side of the serial link: open a device with the fixed line
// settings, write bytes, drain, close. One backend per platform.

#include "common/status.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace zz::link {

// The bounds every backend keeps.
//
// What a healthy device needs beyond a frame's own time on the line: a USB
// adapter's latency timer (16 ms by default) and a few bulk transfers come to
// tens of milliseconds at worst. 240 ms leaves ample room for that while an
// 8-byte frame's whole cycle on a stalled port stays near a quarter of a
// second: a hitch the operator notices, not a frozen window.
inline constexpr std::chrono::milliseconds kCycleMargin{240};
// Our other senders hold a port for one short cycle at a time (tens of
// microseconds; up to the bound above on a slow device). A port found busy
// is tried again until kBusyWait has passed.
inline constexpr std::chrono::milliseconds kBusyWait{300};

class SerialBackend {
public:
    virtual ~SerialBackend() = default;

    // Opens port n (for messages) at the device path with 9600 8N1, no flow
    // control, raw output, holding the port exclusively. Nothing is written.
    virtual Status open(int port, const std::string &devicePath) = 0;
    // Writes every byte within the cycle's bound. A write that fails releases
    // the device as a failed close does: the port is closed afterwards.
    virtual Status write(std::string_view bytes) = 0;
    // Waits until every written byte has left, then releases the device. A
    // drain that fails discards what is still queued; the device is released
    // in every case.
    virtual Status close() = 0;
    virtual bool isOpen() const = 0;
};

// The backend of this platform.
std::unique_ptr<SerialBackend> makePlatformSerialBackend();

}  // namespace zz::link
