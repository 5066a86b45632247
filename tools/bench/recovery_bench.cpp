// The panel on a port that fails as real ones do: how long the window is
// blocked by one step while the far end takes no data, and how many steps are
// lost after the device hangs up mid-send and comes back behind the same map
// entry, or after a stalled far end takes data again.
//
//   recovery_bench [steps]      (default 10 stalled steps, 100 after recovery)

#include "panel/panel_window.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "ui/qt_message_boxes.h"

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

// One step of the 0.1 ohm digit per click, up and down in turn: one 8-byte frame each.
class Stepper {
public:
    explicit Stepper(zz::PanelWindow &form)
        : up_(form.centralWidget()->findChild<QWidget *>(QStringLiteral("AdjUp1"))),
          down_(form.centralWidget()->findChild<QWidget *>(QStringLiteral("AdjDown1"))) {}
    Clock::duration step() {
        const auto t0 = Clock::now();
        if (raise_)
            QTest::mouseClick(up_, Qt::LeftButton, {}, QPoint(up_->width() / 2, 10));
        else
            QTest::mouseClick(down_, Qt::LeftButton, {},
                              QPoint(down_->width() / 2, down_->height() - 10));
        raise_ = !raise_;
        return Clock::now() - t0;
    }

private:
    QWidget *up_;
    QWidget *down_;
    bool raise_ = true;
};

// Steps sent after recovery that never arrived whole.
int lostAfter(Stepper &stepper, zz::test::PtyPair &device, int steps) {
    for (int i = 0; i < steps; ++i) stepper.step();
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

    auto pty = std::make_unique<zz::test::PtyPair>();
    zz::test::PortMapSandbox sandbox;
    if (!pty->ok() || !sandbox.ok() || !sandbox.map(1, pty->slavePath())) {
        std::fprintf(stderr, "recovery_bench: no pseudo-terminal or port map\n");
        return 1;
    }
    zz::SerialControl serial;
    zz::QtMessageBoxes boxes;
    zz::PanelWindow form(serial, boxes);
    form.serialControl().setPort(1);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    Stepper stepper(form);

    // 1. A far end that takes nothing: each step is one bounded failure.
    pty->stall();
    std::vector<Clock::duration> blocked;
    for (int i = 0; i < stalledSteps; ++i) blocked.push_back(stepper.step());
    std::sort(blocked.begin(), blocked.end());
    const double median = millis(blocked[blocked.size() / 2]), worst = millis(blocked.back());

    // 2. The far end takes data again.
    pty->readAll(milliseconds(500), milliseconds(50));
    pty->resume();
    const int lostAfterStall = lostAfter(stepper, *pty, kStepsAfter);

    // 3. The device hangs up in the middle of a stalled step and comes back
    //    as a new terminal behind the same map entry.
    pty->stall();
    std::thread unplug([&] {
        std::this_thread::sleep_for(milliseconds(50));
        pty->hangUp();
    });
    stepper.step();
    unplug.join();
    auto back = std::make_unique<zz::test::PtyPair>();
    sandbox.map(1, back->slavePath());
    const int lostAfterHangUp = lostAfter(stepper, *back, kStepsAfter);

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
