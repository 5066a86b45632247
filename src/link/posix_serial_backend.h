#pragma once
// The serial backend on Linux and other POSIX systems, directly on termios.
//
// Before anything is written the device must be a character device that is a
// terminal and must not be held by another program: no live UUCP lock file,
// no flock by another open file, no exclusive mode (TIOCEXCL) set by someone
// else. While open the port holds flock and exclusive mode itself.
//
// One command's cycle (open, write, drain, close) is bounded by the frame's
// time on the line plus kCycleMargin. A write or drain that fails or runs
// past that bound releases the port at once: whatever is still queued is
// discarded, so no later frame is ever joined to the rest of a failed one, and
// the next command opens the port afresh.

#ifndef _WIN32

#include "link/device_path.h"
#include "link/serial_backend.h"
#include "link/uucp_lock.h"

#include <chrono>
#include <string>
#include <vector>

namespace zz {

class PosixSerialBackend final : public SerialBackend {
public:
    // What a healthy device needs beyond a frame's own time on the line: a
    // USB adapter's latency timer (16 ms by default) and a few bulk transfers
    // come to tens of milliseconds at worst. 240 ms leaves ample room for that
    // while an 8-byte frame's whole cycle on a stalled port stays near a
    // quarter of a second: a hitch the operator notices, not a frozen window.
    static constexpr std::chrono::milliseconds kCycleMargin{240};
    // Our other senders hold a port for one short cycle at a time (tens of
    // microseconds; up to the bound above on a slow device). A port found
    // busy is tried again every kBusyRetry until kBusyWait has passed.
    static constexpr std::chrono::milliseconds kBusyWait{300};
    static constexpr std::chrono::milliseconds kBusyRetry{2};

    PosixSerialBackend();
    ~PosixSerialBackend() override;

    PosixSerialBackend(const PosixSerialBackend &) = delete;
    PosixSerialBackend &operator=(const PosixSerialBackend &) = delete;

    Status open(int port, const std::string &devicePath) override;
    Status write(std::string_view bytes) override;
    Status close() override;
    bool isOpen() const override { return fd_ >= 0; }

    // The margin of the cycle bound (tests shorten or lengthen it).
    void setCycleMargin(std::chrono::milliseconds margin) { margin_ = margin; }
    // Where UUCP lock files are looked for (tests use their own directory).
    void setLockDirectories(const std::vector<std::string> &directories);

private:
    using Clock = std::chrono::steady_clock;

    Status tryOpen(int port, const std::string &devicePath);
    Status failure(int number, const std::string &reason) const;
    Status refuseOpen(int fd, int number, const std::string &reason);
    Status stalled() const;
    void release(bool discardQueued);

    int fd_ = -1;
    std::string label_;  // "COM3 (/dev/ttyUSB0)" for messages
    std::chrono::milliseconds margin_ = kCycleMargin;
    bool writing_ = false;             // a write happened since the open
    Clock::time_point cycleStart_;     // the first write of the cycle
    Clock::time_point cycleDeadline_;  // its bound
    DeviceResolver resolver_;
    uucp::LockFileCheck locks_;
};

}  // namespace zz

#endif
