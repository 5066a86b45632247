// Click-to-wire: from a synthesized click on a wheel's visible arrow to the
// last byte of its command read on the far side of a pseudo-terminal, beside
// the bare link cycle (sendCommand alone, same port, same reading) of the same run.
//
//   panel_bench [clicks]      (default 500 of each, interleaved)

#include "bench_panel.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kFrameBytes = 8;  // "00000.1" and its carriage return

double medianMicros(std::vector<Clock::duration> samples) {
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return std::chrono::duration<double, std::micro>(samples[samples.size() / 2]).count();
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;

    zz::bench::BenchPanel panel;
    if (!panel.show("panel_bench")) return 1;
    zz::rig::PtyPair &pty = *panel.device;

    int failures = 0;
    std::vector<Clock::duration> clicked, bare;
    clicked.reserve(static_cast<std::size_t>(clicks));
    bare.reserve(static_cast<std::size_t>(clicks));
    const int warmUp = 50;
    for (int i = 0; i < warmUp + clicks; ++i) {
        auto t0 = Clock::now();
        const bool raise = panel.step();
        failures += pty.readExactly(kFrameBytes).size() == kFrameBytes ? 0 : 1;
        auto t1 = Clock::now();
        if (i >= warmUp) clicked.push_back(t1 - t0);

        t0 = Clock::now();
        failures += panel.window.sendCommand(raise ? "00000.1" : "00000.0").ok() ? 0 : 1;
        failures += pty.readExactly(kFrameBytes).size() == kFrameBytes ? 0 : 1;
        t1 = Clock::now();
        if (i >= warmUp) bare.push_back(t1 - t0);
        QCoreApplication::processEvents();  // what the event loop would do between clicks
    }

    const double clickMedian = medianMicros(clicked);
    const double bareMedian = medianMicros(bare);
    const double added = clickMedian - bareMedian;
    std::printf(
        "panel click-to-wire median: %.1f us; bare link cycle median: %.1f us; "
        "the window adds %.1f us\n",
        clickMedian, bareMedian, added);
    std::printf("(%d clicks and %d bare cycles; target: the window adds under 1000 us: %s)\n",
                clicks, clicks, added < 1000.0 ? "met" : "NOT met");
    if (failures) {
        std::fprintf(stderr, "panel_bench: %d steps failed\n", failures);
        return 1;
    }
    return 0;
}
