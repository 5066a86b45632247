// The network server's own cost: from a client's command to the last byte
// of its frame on a pseudo-terminal, beside the link's own cycle for the
// same frame (sendCommand in this process), and commands per second with one
// and with eight clients, the real 6175ZIZ-scpi run as a process.
//
//   scpi_bench [commands [SERVER]]   (default 2000 for the latency, per
//                                     client; SERVER: another build of it)

#include "link/serial_control.h"
#include "scpi_rig.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

}  // namespace

int main(int argc, char **argv) {
    const int commands = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    const char *serverPath = argc > 2 ? argv[2] : SCPI_PATH;
    zz::bench::ScpiRig rig;
    if (!rig.start(serverPath)) return 1;

    // Latency: command out, then the frame's eighth byte on the far side.
    std::vector<Clock::duration> latency;
    int lost = 0;
    for (int i = 0; i < commands + 100; ++i) {
        const auto took = rig.commandToLastByte(10000 + i % 1000);
        if (i >= 100) latency.push_back(took);  // the first 100 warm up
        lost += took < 0ns ? 1 : 0;
    }
    // The link alone: what every command costs whoever sends it.
    zz::link::SerialControl control;
    control.setDevicePath(rig.pty.slavePath());
    std::vector<Clock::duration> cycle;
    for (int i = 0; i < commands; ++i) {
        const auto t0 = Clock::now();
        const bool sent = zz::link::sendCommand(control, "12345.6").ok();
        cycle.push_back(Clock::now() - t0);
        lost += sent && rig.pty.readExactly(8, 5000ms).size() == 8 ? 0 : 1;
    }
    const auto percentile = [](std::vector<Clock::duration> &v, int p) {
        std::sort(v.begin(), v.end());
        return micros(v[v.size() * p / 100]);
    };
    const double median = percentile(latency, 50), p99 = percentile(latency, 99);
    const double linkMedian = percentile(cycle, 50), linkP99 = percentile(cycle, 99);

    // Throughput: the far side drained as a box would take it.
    const double one = rig.commandsPerSecond(1, commands);
    const double eight = rig.commandsPerSecond(8, commands / 4);
    const bool ended = rig.stop();

    std::printf(
        "scpi command to last byte on the line: median %.0f us, 99th percentile %.0f us "
        "(%zu commands; targets 300 us and 2000 us: %s)\n",
        median, p99, latency.size(), median < 300 && p99 < 2000 ? "met" : "NOT met");
    std::printf(
        "  of which the link's own cycle (zz::link::sendCommand alone): median %.0f us, 99th "
        "percentile %.0f us; the server's part: median %.0f us\n",
        linkMedian, linkP99, median - linkMedian);
    std::printf(
        "scpi commands per second: %.0f with 1 client, %.0f with 8 clients "
        "(%.2f ms and %.2f ms each; a frame on the 9600-baud line takes 8.3 ms)\n",
        one, eight, 1000.0 / one, 1000.0 / eight);
    if (lost || one == 0.0 || eight == 0.0 || !ended) {
        std::fprintf(stderr, "scpi_bench: %d frames lost, %s\n", lost,
                     one == 0.0 || eight == 0.0 ? "a throughput client failed" : "");
        return 1;
    }
    return 0;
}
