
#include "link/serial_backend_posix.h"

#include "link/device_path_posix.h"
#include "link/io_posix.h"
#include "link/line_time.h"
#include "link/serial_errors.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

namespace zz::link {
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

// Pseudo-terminal masters are character devices that take termios calls too,
// but each open of /dev/ptmx makes a new terminal that nothing reads.
bool isPseudoTerminalMaster(dev_t device) {
    constexpr unsigned kUnix98Major = 5, kPtmxMinor = 2, kLegacyMasterMajor = 2;
    return (major(device) == kUnix98Major && minor(device) == kPtmxMinor) ||
           major(device) == kLegacyMasterMajor;
}

// Whether some open file holds a flock on the device node. /proc/locks lists
// one lock a line: "1: FLOCK  ADVISORY  WRITE 1234 00:19:5 0 EOF" (the device
// of the file system in hex, then the inode); waiters show "->" as the kind.
bool flockHeldOn(const struct stat &node) {
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string id, kind, mode, access, pid, where;
        fields >> id >> kind >> mode >> access >> pid >> where;
        unsigned fsMajor = 0, fsMinor = 0;
        unsigned long inode = 0;
        if (kind == "FLOCK" &&
            std::sscanf(where.c_str(), "%x:%x:%lu", &fsMajor, &fsMinor, &inode) == 3 &&
            fsMajor == major(node.st_dev) && fsMinor == minor(node.st_dev) && inode == node.st_ino)
            return true;
    }
    return false;
}

constexpr const char *kLeftOverExclusive =
    "exclusive mode is set, but no program holds the port; it may be left over from a program "
    "that was killed";

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
    if (isOpen()) return failure(serial_error::PortAlreadyOpen, "Port already open");
    const auto giveUp = Clock::now() + kBusyWait;
    for (;;) {
        Status status = tryOpen(port, devicePath);
        if (status.number() != serial_error::PortBusy || Clock::now() >= giveUp) return status;
        std::this_thread::sleep_for(kBusyRetry);
    }
}

Status PosixSerialBackend::tryOpen(int port, const std::string &devicePath) {
    using namespace serial_error;

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
    if (!S_ISCHR(resolved.st.st_mode) || isPseudoTerminalMaster(resolved.st.st_rdev))
        return failure(NotASerialPort, "not a serial port");

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
            case EBUSY:  // exclusive mode, set by someone else
                return failure(PortBusy, flockHeldOn(resolved.st)
                                             ? "in use by another program (exclusive mode)"
                                             : kLeftOverExclusive);
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
    // No lock file and no flock is held (both checked above): nobody does.
    int exclusive = 0;
    if (ioctlRetrying(fd, TIOCGEXCL, &exclusive) == 0 && exclusive)
        return refuseOpen(fd, PortBusy, kLeftOverExclusive);
    ioctlRetrying(fd, TIOCEXCL);

    if (!posix_io::applyLineSettings(fd, current)) {
        const std::string reason =
            std::string("line settings refused (") + std::strerror(errno) + ")";
        ioctlRetrying(fd, TIOCNXCL);
        return refuseOpen(fd, ConfigureFailed, reason);
    }
    fd_ = fd;
    writing_ = false;
    return {};
}

Status PosixSerialBackend::write(std::string_view bytes) {
    using namespace serial_error;
    if (!isOpen()) return Status::failure(PortNotOpen, "Port not open");
    // The cycle's clock starts at its first write: opening waits for nothing,
    // and the start sequence keeps the port open while it shows the panel.
    if (!writing_) {
        writing_ = true;
        cycleStart_ = Clock::now();
        cycleDeadline_ = cycleStart_ + margin_;
    }
    cycleDeadline_ += wireTime(bytes.size());
    const auto outcome = posix_io::writeAll(fd_, bytes, cycleDeadline_);
    if (outcome.kind == posix_io::Outcome::Done) return {};
    release(true);
    if (outcome.kind == posix_io::Outcome::TimedOut) return stalled();
    return failure(WriteFailed, std::string("write failed (") + std::strerror(outcome.error) + ")");
}

Status PosixSerialBackend::close() {
    if (!isOpen()) return {};
    const auto outcome = posix_io::drain(fd_, writing_ ? cycleDeadline_ : Clock::now() + margin_);
    release(outcome.kind != posix_io::Outcome::Done);
    if (outcome.kind == posix_io::Outcome::Done) return {};
    if (outcome.kind == posix_io::Outcome::TimedOut) return stalled();
    return failure(serial_error::WriteFailed,
                   std::string("drain failed (") + std::strerror(outcome.error) + ")");
}

Status PosixSerialBackend::stalled() const {
    const auto bound = std::chrono::round<std::chrono::milliseconds>(cycleDeadline_ - cycleStart_);
    return failure(serial_error::WriteTimeout, "the device did not take the command within " +
                                                   std::to_string(bound.count()) + " ms");
}

void PosixSerialBackend::release(bool discardQueued) {
    // Bytes still queued in the driver are dropped so that they cannot run
    // into the next frame, and so that close() does not wait for them. What
    // already left on the wire cannot be taken back: the box may hold the
    // start of a cut frame until the next carriage return.
    if (discardQueued) ::tcflush(fd_, TCOFLUSH);
    ioctlRetrying(fd_, TIOCNXCL);
    // Closing releases the flock: the descriptor is ours alone (O_CLOEXEC).
    ::close(fd_);
    fd_ = -1;
}

std::unique_ptr<SerialBackend> makePlatformSerialBackend() {
    return std::make_unique<PosixSerialBackend>();
}

}  // namespace zz::link
