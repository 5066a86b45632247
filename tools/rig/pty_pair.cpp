#include "rig/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>

namespace zz::rig {

using namespace std::chrono;

namespace {

// Waits up to `wait` for input, then reads what is there. -1: nothing came.
ssize_t readSome(int fd, char *buffer, std::size_t size, milliseconds wait) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return -1;
    ssize_t n;
    do n = ::read(fd, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
}

}  // namespace

PtyPair::PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    slavePath_ = name;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

std::string PtyPair::readExactly(std::size_t n, milliseconds timeout) {
    std::string data;
    const auto deadline = steady_clock::now() + timeout;
    char buffer[4096];
    while (data.size() < n) {
        const auto left = ceil<milliseconds>(deadline - steady_clock::now());
        if (left <= milliseconds::zero()) break;
        const std::size_t want = std::min(sizeof buffer, n - data.size());
        const ssize_t got = readSome(master_, buffer, want, left);
        if (got > 0) data.append(buffer, static_cast<std::size_t>(got));
    }
    return data;
}

std::string PtyPair::readAll(milliseconds timeout, milliseconds quiet) {
    std::string data;
    const auto deadline = steady_clock::now() + timeout;
    char buffer[4096];
    for (;;) {
        const auto left = ceil<milliseconds>(deadline - steady_clock::now());
        if (left <= milliseconds::zero()) break;
        const ssize_t got = readSome(master_, buffer, sizeof buffer, std::min(left, quiet));
        if (got <= 0) break;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    return data;
}

std::size_t PtyPair::stall() {
    const int fd = ::open(slavePath_.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // Raw, as the link sets it: output processing keeps room back for expansions.
    termios raw{};
    if (fd >= 0 && ::tcgetattr(fd, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(fd, TCSANOW, &raw);
    }
    // Large writes stop while small ones still find room in the kernel's
    // spare buffers, so finish byte by byte.
    std::size_t queued = 0;
    const std::string filler(4096, 'x');
    for (const std::size_t chunk : {filler.size(), std::size_t(1)})
        for (ssize_t n; fd >= 0 && (n = ::write(fd, filler.data(), chunk)) > 0;)
            queued += static_cast<std::size_t>(n);
    if (fd >= 0) ::tcflow(fd, TCOOFF);
    if (fd >= 0) ::close(fd);
    return queued;
}

void PtyPair::resume() {
    ::tcflow(slave_, TCOON);
}

void PtyPair::hangUp() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

std::optional<termios> PtyPair::slaveAttributes() const {
    termios t{};
    if (::tcgetattr(slave_, &t) != 0) return std::nullopt;
    return t;
}

bool PtyPair::setSlaveAttributes(const termios &attributes) {
    return ::tcsetattr(slave_, TCSANOW, &attributes) == 0;
}

SlowReader::SlowReader(PtyPair &pty, std::size_t chunk, microseconds pause)
    : fd_(pty.masterFd()), thread_([this, chunk, pause] { run(chunk, pause); }) {}

SlowReader::~SlowReader() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void SlowReader::run(std::size_t chunk, microseconds pause) {
    std::string buffer(chunk, '\0');
    while (!stop_) {
        const ssize_t got = readSome(fd_, buffer.data(), chunk, milliseconds(20));
        if (got <= 0) continue;
        {
            std::lock_guard lock(mutex_);
            data_.append(buffer.data(), static_cast<std::size_t>(got));
        }
        arrived_.notify_all();
        std::this_thread::sleep_for(pause);
    }
}

std::string SlowReader::finish(std::size_t bytes, milliseconds timeout) {
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, timeout, [&] { return data_.size() >= bytes; });
    }
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    return data_;
}

}  // namespace zz::rig
