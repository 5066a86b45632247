// Start-up of the real 6175ZIZ program on a private X server, with a
// pseudo-terminal mapped as COM1 and "1" in its settings file:
//   - process start to the start screen on screen and painted,
//   - the start screen gone (end of the pause) to "10000" + CR received,
//   - processor time of the whole start (read when "10000" has arrived),
//   - resident memory with the panel up.
//
//   startup_bench [runs]      (default 5; the median of each figure is shown)

#include "rig/panel_run.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "rig/x_session.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace zz::rig;

namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

constexpr auto kGiveUp = 20s;

struct Sample {
    double mappedMs = 0;
    double paintedMs = 0;
    double pauseToSendMs = 0;
    double processorS = 0;
    double residentMB = 0;
};

double ms(steady_clock::duration d) {
    return duration<double, std::milli>(d).count();
}

// Waits (without sampling, so as not to take processor time from the
// program) until the start screen is mapped, then samples the screen until it
// is fully painted.
std::optional<zz::rig::TopWindow> waitPainted(zz::rig::XSession &x, zz::rig::PanelRun &run,
                                              steady_clock::time_point &mapped) {
    const auto screen = x.waitFor(kStartScreenTitle, kGiveUp, [&] { return !run.running(); });
    if (!screen) return std::nullopt;
    mapped = steady_clock::now();
    const auto deadline = mapped + kGiveUp;
    while (steady_clock::now() < deadline && run.running()) {
        if (zz::rig::looksPainted(zz::rig::inspectStartScreen(x.grab(zz::rig::startScreenArea()))))
            return screen;
        std::this_thread::sleep_for(1ms);
    }
    return std::nullopt;
}

// Watches the X server and the far end of the port together, so that both
// instants are taken as they happen.
bool waitForCommand(zz::rig::XSession &x, zz::rig::PtyPair &pty, unsigned long startScreen,
                    steady_clock::time_point painted, steady_clock::time_point &gone,
                    steady_clock::time_point &received) {
    std::string data;
    const auto deadline = steady_clock::now() + kGiveUp;
    while (steady_clock::now() < deadline && data.size() < 6) {
        pollfd fds[2] = {{x.connectionFd(), POLLIN, 0}, {pty.masterFd(), POLLIN, 0}};
        ::poll(fds, 2, 50);
        x.pump();
        if (fds[1].revents & POLLIN) {
            char buffer[64];
            const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
            if (n > 0) data.append(buffer, std::size_t(n));
            received = steady_clock::now();
        }
    }
    x.pump();
    const auto when = x.goneAt(startScreen, painted);
    if (!when || data != "10000\r") {
        std::fprintf(stderr, "startup_bench: %s\n",
                     !when ? "the start screen never went"
                           : ("\"10000\" + CR did not arrive: [" + data + "]").c_str());
        return false;
    }
    gone = *when;
    return true;
}

std::optional<Sample> measureOnce(zz::rig::XSession &x) {
    zz::rig::PtyPair pty;
    zz::rig::PortMapSandbox ports;
    zz::rig::PanelRun run;
    if (!pty.ok() || !ports.ok() || !run.ok() || !ports.map(1, pty.slavePath()) ||
        !run.writeSettings("1\r\n") || !run.start(APP_PATH, x, ports.root())) {
        std::fprintf(stderr, "startup_bench: cannot set up a run\n");
        return std::nullopt;
    }
    const auto start = run.process().startedAt();
    steady_clock::time_point mapped;
    const auto screen = waitPainted(x, run, mapped);
    if (!screen) {
        std::fprintf(stderr, "startup_bench: the start screen was never seen painted\n%s",
                     run.output().c_str());
        return std::nullopt;
    }
    const auto painted = steady_clock::now();
    Sample s;
    s.mappedMs = ms(mapped - start);
    s.paintedMs = ms(painted - start);

    steady_clock::time_point gone, received;
    if (!waitForCommand(x, pty, screen->id, painted, gone, received)) return std::nullopt;
    s.pauseToSendMs = ms(received - gone);
    const auto cpu = zz::rig::processorSeconds(run.process().pid());

    // The panel is shown before the command goes out; wait until it is mapped.
    if (!x.waitFor(kPanelTitle, kGiveUp)) {
        std::fprintf(stderr, "startup_bench: no panel\n");
        return std::nullopt;
    }
    const auto rss = zz::rig::residentKiB(run.process().pid());
    if (!cpu || !rss) return std::nullopt;
    s.processorS = *cpu;
    s.residentMB = double(*rss) / 1024.0;
    return s;  // the run's destructor ends the program
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One figure: its median against the target (none when target is 0), then every run.
void report(const char *what, const std::vector<Sample> &samples, double Sample::*field,
            double target, const char *unit, const char *format) {
    std::vector<double> values;
    for (const auto &s : samples) values.push_back(s.*field);
    const double m = median(values);
    std::string all;
    for (const double v : values) {
        char one[32];
        std::snprintf(one, sizeof one, format, v);
        all += (all.empty() ? "" : " ") + std::string(one);
    }
    char value[32], goal[64] = "";
    std::snprintf(value, sizeof value, format, m);
    if (target > 0) {
        char limit[32];
        std::snprintf(limit, sizeof limit, format, target);
        std::snprintf(goal, sizeof goal, "target < %s %s: %s", limit, unit,
                      m < target ? "met" : "MISSED");
    }
    std::printf("  %-40s %9s %-3s %-28s runs: %s\n", what, value, unit, goal, all.c_str());
}

}  // namespace

int main(int argc, char **argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    zz::rig::XSession x;
    if (!x.ok()) {
        std::fprintf(stderr, "startup_bench: %s\n", x.error().c_str());
        return 1;
    }
    std::vector<Sample> samples;
    for (int i = 0; i < runs; ++i) {
        const auto s = measureOnce(x);
        if (!s) return 1;
        samples.push_back(*s);
    }
    std::printf("6175ZIZ start-up under Xvfb, pseudo-terminal as COM1, median of %d runs:\n", runs);
    report("process start to start screen mapped", samples, &Sample::mappedMs, 0, "ms", "%.1f");
    report("process start to start screen painted", samples, &Sample::paintedMs, 150, "ms", "%.1f");
    report("end of the pause to \"10000\" + CR", samples, &Sample::pauseToSendMs, 100, "ms",
           "%.1f");
    report("processor time of the whole start", samples, &Sample::processorS, 0.4, "s", "%.2f");
    report("resident memory with the panel up", samples, &Sample::residentMB, 60, "MB", "%.1f");
    return 0;
}
