// Cost of one command on the serial link against the same work done with bare
// termios calls, on a pseudo-terminal reached through a port-map link.
//
//   link_bench [cycles]      (default 3000 of each, interleaved)

#include "link/serial_control.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kCommand[] = "12345.6";  // 8 bytes with the carriage return

// The same cycle written as plainly as possible.
bool bareCycle(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return false;
    termios t{};
    bool ok = ::tcgetattr(fd, &t) == 0;
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    ok = ok && ::tcsetattr(fd, TCSANOW, &t) == 0;
    ok = ok && ::write(fd, "12345.6\r", 8) == 8;
    ok = ok && ::tcdrain(fd) == 0;
    ::close(fd);
    return ok;
}

double medianMicros(std::vector<Clock::duration> samples) {
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return std::chrono::duration<double, std::micro>(samples[samples.size() / 2]).count();
}

}  // namespace

int main(int argc, char **argv) {
    const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3000;

    zz::rig::PtyPair pty;
    zz::rig::PortMapSandbox sandbox;
    if (!pty.ok() || !sandbox.ok() || !sandbox.map(1, pty.slavePath())) {
        std::fprintf(stderr, "link_bench: no pseudo-terminal or port map\n");
        return 1;
    }
    const std::string slavePath = pty.slavePath();
    const int master = pty.masterFd();

    std::atomic<bool> stop{false};
    std::atomic<long> received{0};
    std::thread reader([&] {
        char buffer[4096];
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) received += n;
        }
    });

    zz::link::SerialControl control;
    int failures = 0;
    std::vector<Clock::duration> link, bare;
    link.reserve(cycles);
    bare.reserve(cycles);
    const int warmUp = 200;
    for (int i = 0; i < warmUp + cycles; ++i) {
        // Alternate which goes first so that neither always runs on a warm cache.
        for (int k = 0; k < 2; ++k) {
            const bool linkTurn = (i + k) % 2 == 0;
            const auto t0 = Clock::now();
            const bool ok =
                linkTurn ? zz::link::sendCommand(control, kCommand).ok() : bareCycle(slavePath);
            const auto t1 = Clock::now();
            failures += ok ? 0 : 1;
            if (i >= warmUp) (linkTurn ? link : bare).push_back(t1 - t0);
        }
    }
    if (auto status = zz::link::sendCommand(control, kCommand); !status)
        std::fprintf(stderr, "link_bench: %s\n", status.text().c_str());

    stop = true;
    reader.join();

    const double linkMedian = medianMicros(link), bareMedian = medianMicros(bare);
    const double ratio = linkMedian / bareMedian;
    std::printf("serial cycle median: %.1f us; bare termios cycle median: %.1f us; ratio %.2f\n",
                linkMedian, bareMedian, ratio);
    std::printf("(%d cycles each; targets: ratio <= 1.5 and serial median < 100 us: %s)\n", cycles,
                ratio <= 1.5 && linkMedian < 100.0 ? "met" : "NOT met");
    if (failures) {
        std::fprintf(stderr, "link_bench: %d cycles failed\n", failures);
        return 1;
    }
    return 0;
}
