#ifndef _WIN32

#include "posix_serial_backend.h"

#include "device_path.h"
#include "posix_io.h"
#include "serial_errors.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace zz {
namespace {

std::string portName(int port) {
    return "COM" + std::to_string(port);
}

// The group whose members may use the device, for the permission hint.
std::string accessGroup(const std::string &device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0 && (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP)) {
        char buffer[4096];
        group entry{};
        group *found = nullptr;
        if (getgrgid_r(st.st_gid, &entry, buffer, sizeof buffer, &found) == 0 && found)
            return found->gr_name;
    }
    return "dialout";
}

std::string deniedText(const std::string &device) {
    return "permission denied - membership of the '" + accessGroup(device) +
           "' group grants access";
}

std::string durationText(std::chrono::milliseconds t) {
    if (t.count() % 1000 == 0) return std::to_string(t.count() / 1000) + " s";
    return std::to_string(t.count()) + " ms";
}

int ioctlRetrying(int fd, unsigned long request, int *argument = nullptr) {
    int rc;
    do rc = argument ? ::ioctl(fd, request, argument) : ::ioctl(fd, request);
    while (rc != 0 && errno == EINTR);
    return rc;
}

}  // namespace

PosixSerialBackend::PosixSerialBackend() : locks_(uucp::defaultLockDirectories()) {}

PosixSerialBackend::~PosixSerialBackend() {
    close();
}

void PosixSerialBackend::setLockDirectories(const std::vector<std::string> &directories) {
    locks_ = uucp::LockFileCheck(directories);
}

Status PosixSerialBackend::failure(int number, const std::string &reason) const {
    return Status::failure(number, label_ + ": " + reason);
}

Status PosixSerialBackend::refuseOpen(int fd, int number, const std::string &reason) {
    ::close(fd);
    return failure(number, reason);
}

Status PosixSerialBackend::open(int port, const std::string &devicePath) {
    using namespace serial_error;
    if (isOpen()) return failure(PortAlreadyOpen, "Port already open");

    // Checks run on the real device so that two names for one port agree.
    const DeviceResolver::Result resolved = resolver_.resolve(devicePath);
    if (resolved.error) {
        label_ = portName(port) + " (" + missingTarget(devicePath) + ")";
        if (resolved.error == EACCES) return failure(AccessDenied, deniedText(devicePath));
        if (resolved.error == ELOOP)
            return failure(NoSuchPort, "no such device (symbolic link loop)");
        return failure(NoSuchPort, "no such device");
    }
    const std::string &device = resolved.device;
    label_ = portName(port) + " (" + device + ")";

    // Files and directories are never opened for writing.
    if (!S_ISCHR(resolved.st.st_mode)) return failure(NotASerialPort, "not a serial port");

    if (auto holder = locks_.find(device))
        return failure(PortBusy, "in use by another program (process " +
                                     std::to_string(holder->pid) + " holds " + holder->lockFile +
                                     ")");

    int fd;
    do fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        switch (errno) {
            case EACCES:
            case EPERM:
                return failure(AccessDenied, deniedText(device));
            case EBUSY:
                return failure(PortBusy, "in use by another program (exclusive mode)");
            case ENOENT:
            case ENXIO:
            case ENODEV:
            case EIO:
                return failure(NoSuchPort, "no such device");  // EIO: no UART behind it
            default:
                return failure(NoSuchPort, std::string("cannot open: ") + std::strerror(errno));
        }
    }

    // /dev/null and friends are character devices but not terminals.
    termios current{};
    if (::tcgetattr(fd, &current) != 0) return refuseOpen(fd, NotASerialPort, "not a serial port");

    int rc;
    do rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EWOULDBLOCK)
        return refuseOpen(fd, PortBusy,
                          "in use by another program (it holds a lock on the device)");

    // Root opens through exclusive mode, so ask whether someone else set it.
    int exclusive = 0;
    if (ioctlRetrying(fd, TIOCGEXCL, &exclusive) == 0 && exclusive)
        return refuseOpen(fd, PortBusy, "in use by another program (exclusive mode)");
    ioctlRetrying(fd, TIOCEXCL);

    if (!posix_io::applyLineSettings(fd, current)) {
        const std::string reason =
            std::string("line settings refused (") + std::strerror(errno) + ")";
        ioctlRetrying(fd, TIOCNXCL);
        return refuseOpen(fd, ConfigureFailed, reason);
    }
    fd_ = fd;
    return {};
}

Status PosixSerialBackend::write(std::string_view bytes) {
    using namespace serial_error;
    if (!isOpen()) return Status::failure(PortNotOpen, "Port not open");
    const auto outcome =
        posix_io::writeAll(fd_, bytes, std::chrono::steady_clock::now() + timeout_);
    switch (outcome.kind) {
        case posix_io::Outcome::Done:
            return {};
        case posix_io::Outcome::TimedOut:
            return failure(WriteTimeout, "the device took no data for " + durationText(timeout_));
        case posix_io::Outcome::Failed:
            break;
    }
    return failure(WriteFailed, std::string("write failed (") + std::strerror(outcome.error) + ")");
}

Status PosixSerialBackend::close() {
    using namespace serial_error;
    if (!isOpen()) return {};
    Status result;
    const auto outcome = posix_io::drain(fd_, std::chrono::steady_clock::now() + timeout_);
    if (outcome.kind != posix_io::Outcome::Done) {
        // Give up on what is still queued so that the port is released now.
        ::tcflush(fd_, TCOFLUSH);
        result =
            outcome.kind == posix_io::Outcome::TimedOut
                ? failure(WriteTimeout, "the device took no data for " + durationText(timeout_))
                : failure(WriteFailed,
                          std::string("drain failed (") + std::strerror(outcome.error) + ")");
    }

    ioctlRetrying(fd_, TIOCNXCL);
    // Closing releases the flock: the descriptor is ours alone (O_CLOEXEC).
    ::close(fd_);
    fd_ = -1;
    return result;
}

std::unique_ptr<SerialBackend> makePlatformSerialBackend() {
    return std::make_unique<PosixSerialBackend>();
}

}  // namespace zz

#endif
