
#include "link/io_posix.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace zz::link::posix_io {

using namespace std::chrono;

namespace {

bool sameSettings(const termios &a, const termios &b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && cfgetispeed(&a) == cfgetispeed(&b) &&
           cfgetospeed(&a) == cfgetospeed(&b);
}

}  // namespace

bool applyLineSettings(int fd, const termios &current) {
    termios t = current;
    cfmakeraw(&t);

    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    t.c_oflag &= ~OPOST;
    if (cfsetispeed(&t, B9600) != 0 || cfsetospeed(&t, B9600) != 0) return false;
    // The port keeps its settings between commands: after the first one the
    // driver already has them and setting them again would change nothing.
    if (sameSettings(t, current)) return true;
    int rc;
    do rc = tcsetattr(fd, TCSANOW, &t);
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

Outcome writeAll(int fd, std::string_view bytes, Deadline deadline) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return {Outcome::Failed, errno};

        // The output buffer is full: wait for room, but not past the deadline.
        const auto left = deadline - steady_clock::now();
        if (left <= nanoseconds::zero()) return {Outcome::TimedOut};
        pollfd p{fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(ceil<milliseconds>(left).count()));
        if (r < 0 && errno != EINTR) return {Outcome::Failed, errno};
        if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) return {Outcome::Failed, EIO};
    }
    return {};
}

Outcome drain(int fd, Deadline deadline) {
    // tcdrain cannot be given a deadline, so watch the queue shrink first.
    auto pause = microseconds(200);
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0) {
            if (errno == EINTR) continue;
            break;  // the driver cannot tell: leave it to tcdrain
        }
        if (queued <= 0) break;
        const auto left = deadline - steady_clock::now();
        if (left <= nanoseconds::zero()) return {Outcome::TimedOut};
        std::this_thread::sleep_for(std::min<nanoseconds>(pause, left));
        pause = std::min<microseconds>(pause * 2, milliseconds(2));
    }
    // The queue is empty: tcdrain only waits for the last character to leave.
    while (tcdrain(fd) != 0)
        if (errno != EINTR) return {Outcome::Failed, errno};
    return {};
}

}  // namespace zz::link::posix_io
