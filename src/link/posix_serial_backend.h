#pragma once
// The serial backend on Linux and other POSIX systems, directly on termios.
//
// Before anything is written the device must be a character device that is a
// terminal and must not be held by another program: no live UUCP lock file,
// no flock by another open file, no exclusive mode (TIOCEXCL) set by someone
// else. While open the port holds flock and exclusive mode itself.

#ifndef _WIN32

#include "device_path.h"
#include "serial_backend.h"
#include "uucp_lock.h"

#include <chrono>
#include <string>
#include <vector>

namespace zz {

class PosixSerialBackend final : public SerialBackend {
public:
    // Commands are a few bytes: at 9600 baud they leave in about 10 ms.
    static constexpr std::chrono::milliseconds kDefaultTimeout{3000};

    PosixSerialBackend();
    ~PosixSerialBackend() override;

    PosixSerialBackend(const PosixSerialBackend &) = delete;
    PosixSerialBackend &operator=(const PosixSerialBackend &) = delete;

    Status open(int port, const std::string &devicePath) override;
    Status write(std::string_view bytes) override;
    Status close() override;
    bool isOpen() const override { return fd_ >= 0; }

    // How long a write, and the drain on close, may wait for the device.
    void setTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    // Where UUCP lock files are looked for (tests use their own directory).
    void setLockDirectories(const std::vector<std::string> &directories);

private:
    Status failure(int number, const std::string &reason) const;
    Status refuseOpen(int fd, int number, const std::string &reason);

    int fd_ = -1;
    std::string label_;  // "COM3 (/dev/ttyUSB0)" for messages
    std::chrono::milliseconds timeout_ = kDefaultTimeout;
    DeviceResolver resolver_;
    uucp::LockFileCheck locks_;
};

}  // namespace zz

#endif
