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

#include "link/device_path_posix.h"
#include "link/serial_backend.h"
#include "link/uucp_lock_posix.h"

#include <chrono>
#include <string>
#include <vector>

namespace zz::link {

class PosixSerialBackend final : public SerialBackend {
public:
    // How often a busy port is tried again within kBusyWait (serial_backend.h).
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

}  // namespace zz::link
