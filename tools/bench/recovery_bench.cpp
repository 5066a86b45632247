// The panel on a port that fails as real ones do: how long the window is
// blocked by one step while the far end takes no data, and how many steps are
// lost after the device hangs up mid-send and comes back behind the same map
// entry, or after a stalled far end takes data again.
//
//   recovery_bench [steps]      (default 10 stalled steps, 100 after recovery)

#include "bench_panel.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Steps sent after recovery that never arrived whole.
int lostAfter(zz::bench::BenchPanel &panel, int steps) {
    for (int i = 0; i < steps; ++i) panel.step();
    zz::rig::PtyPair &device = *panel.device;
    const std::string got = device.readAll(std::chrono::seconds(5), milliseconds(200));
    const auto frames = static_cast<int>(std::count(got.begin(), got.end(), '\r'));
    return steps - std::min(steps, frames);
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int stalledSteps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    constexpr int kStepsAfter = 100;

    zz::bench::BenchPanel panel;
    if (!panel.show("recovery_bench")) return 1;
    auto &pty = panel.device;

    // 1. A far end that takes nothing: each step is one bounded failure.
    pty->stall();
    std::vector<Clock::duration> blocked;
    for (int i = 0; i < stalledSteps; ++i) {
        const auto t0 = Clock::now();
        panel.step();
        blocked.push_back(Clock::now() - t0);
    }
    std::sort(blocked.begin(), blocked.end());
    const double median = millis(blocked[blocked.size() / 2]), worst = millis(blocked.back());

    // 2. The far end takes data again.
    pty->readAll(milliseconds(500), milliseconds(50));
    pty->resume();
    const int lostAfterStall = lostAfter(panel, kStepsAfter);

    // 3. The device hangs up in the middle of a stalled step and comes back
    //    as a new terminal behind the same map entry.
    pty->stall();
    std::thread unplug([&] {
        std::this_thread::sleep_for(milliseconds(50));
        pty->hangUp();
    });
    panel.step();
    unplug.join();
    pty = std::make_unique<zz::rig::PtyPair>();
    panel.ports.map(1, pty->slavePath());
    const int lostAfterHangUp = lostAfter(panel, kStepsAfter);

    std::printf(
        "window blocked per step on a stalled port: median %.1f ms, worst %.1f ms (%d steps; "
        "target at most 300 ms: %s)\n",
        median, worst, stalledSteps, worst <= 300.0 ? "met" : "NOT met");
    std::printf(
        "steps lost of %d after the far end took data again: %d; after the device came "
        "back: %d (target 0: %s)\n",
        kStepsAfter, lostAfterStall, lostAfterHangUp,
        lostAfterStall + lostAfterHangUp == 0 ? "met" : "NOT met");
    return 0;
}
