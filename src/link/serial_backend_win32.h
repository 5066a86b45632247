#pragma once
// The serial backend on Windows: "\\.\COMn" through CreateFileW.
//
// Windows opens a COM port for one handle at a time: a port that another
// program holds refuses the open (access denied; Wine reports a lock
// violation when a POSIX program holds the terminal in exclusive mode, and
// does not refuse a second Wine handle at all), reported as in use after
// the same short wait as on POSIX. The port is opened for reading too: some drivers (Wine's among
// them) refuse the line settings on a handle that may only write.
//
// One command's cycle is bounded as on POSIX: the frame's time on the line
// plus the margin: the write through the write timeouts of COMMTIMEOUTS, the
// drain by watching the driver's output queue. A write or drain that fails
// or times out discards what is still queued and releases the port.

#include "link/serial_backend.h"

#include <chrono>
#include <string>

namespace zz::link {

class Win32SerialBackend final : public SerialBackend {
public:
    // How often a busy port is tried again within kBusyWait (serial_backend.h).
    // Sleep() runs on the system tick (about 15 ms), so shorter retries
    // would only spin.
    static constexpr std::chrono::milliseconds kBusyRetry{10};

    Win32SerialBackend() = default;
    ~Win32SerialBackend() override;

    Win32SerialBackend(const Win32SerialBackend &) = delete;
    Win32SerialBackend &operator=(const Win32SerialBackend &) = delete;

    Status open(int port, const std::string &devicePath) override;
    Status write(std::string_view bytes) override;
    Status close() override;
    bool isOpen() const override { return handle_ != nullptr; }

private:
    using Clock = std::chrono::steady_clock;

    Status tryOpen(const std::string &devicePath);
    Status failure(int number, const std::string &reason) const;
    Status stalled() const;
    void release(bool discardQueued);

    void *handle_ = nullptr;  // HANDLE; null when closed
    std::string label_;       // "COM3" for messages
    bool writing_ = false;
    Clock::time_point cycleStart_;
    Clock::time_point cycleDeadline_;
};

}  // namespace zz::link
