// The real 6175ZIZ program on a port that misbehaves as real ones do: a far
// end that stops taking data, a device that hangs up and comes back, a port
// another sender holds for a moment, a pseudo-terminal master mapped as a
// port; the link lamp through an unplug; and the signals that end it.

#include "e2e_fixture.h"
#include "rig/port_holder.h"

#include <QtTest>

#include <algorithm>
#include <csignal>
#include <thread>

using namespace zz::rig;

using namespace zz::test;
using namespace std::chrono_literals;

class tst_LinkE2e : public EndToEndFixture {
    Q_OBJECT

    std::optional<zz::rig::TopWindow> panel_;

    void startPanelOnPortOne() {
        QVERIFY(run_->writeSettings("1\r\n"));
        CHECK_STEP(startProgram());
        CHECK_STEP(expectPanelWithStartCommand());
        panel_ = x_->find(kPanelTitle);
        QVERIFY(panel_);
    }
    QByteArray sentTo(zz::rig::PtyPair &device) { return bytes(device.readAll(kE2eWait, 300ms)); }

    // The lamp's fill colours as the footer shows them.
    static constexpr std::uint32_t kGreen = 0x28aa3c, kRed = 0xd21e1e, kAmber = 0xf0a000;
    // Waits until the footer shows a lamp of this colour (a few pixels of
    // exactly it: the lamp's inside, not its smoothed edge).
    bool lampShows(std::uint32_t colour) {
        const zz::rig::Rect footer{panel_->geometry.x + 180,
                                   panel_->geometry.y + panel_->geometry.height - 80, 120, 80};
        const auto until = std::chrono::steady_clock::now() + kE2eWait;
        while (std::chrono::steady_clock::now() < until) {
            const zz::rig::Image shot = x_->grab(footer);
            if (std::count(shot.pixels.begin(), shot.pixels.end(), colour) >= 20) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

private slots:
    // A far end that stops taking data, or a device that hangs up while a
    // command waits for it: each send fails within its bound, nothing of the
    // failed frames is left queued, and the next step goes out whole (after
    // a hang-up on the device back behind the same map entry).
    void failedSendsRecover_data() {
        QTest::addColumn<bool>("hangUp");
        QTest::newRow("far end stalled") << false;
        QTest::newRow("device hung up, then back") << true;
    }
    void failedSendsRecover() {
        QFETCH(bool, hangUp);
        CHECK_STEP(startPanelOnPortOne());
        const std::size_t queued = pty_->stall();
        // Space steps the focused arrow, the 10 kOhm digit's: 20000.0, 30000.0, 40000.0.
        for (int i = 0; i < 3; ++i) CHECK_STEP(press(*panel_, "space"));
        if (hangUp) pty_->hangUp();
        // Long enough for three bounded failures; a send that still waited
        // now would go through once the far end reads.
        std::this_thread::sleep_for(1500ms);

        zz::rig::PtyPair back;
        if (hangUp) {
            QVERIFY(ports_->map(1, back.slavePath()));
        } else {
            const QByteArray left = sentSoFar();
            QVERIFY(std::size_t(left.size()) < queued);
            QCOMPARE(left.count('x'), left.size());
            QVERIFY(zz::rig::portIsFree(pty_->slavePath()));
            pty_->resume();
        }
        CHECK_STEP(press(*panel_, "space"));
        QCOMPARE(sentTo(hangUp ? back : *pty_), QByteArray("50000.0\r"));
        CHECK_STEP(press(*panel_, "alt+e"));
        CHECK_STEP(expectExit(0));
    }

    // Unplugged, a step is not sent and the lamp turns red; plugged in
    // again, it asks for a resend (amber); F5 sends the readout (green).
    void lampThroughAnUnplug() {
        CHECK_STEP(startPanelOnPortOne());
        QVERIFY2(lampShows(kGreen), qPrintable(context()));
        QVERIFY(ports_->map(1, ports_->root() + "/unplugged"));
        CHECK_STEP(press(*panel_, "space"));
        QVERIFY2(lampShows(kRed), qPrintable(context()));
        zz::rig::PtyPair back;
        QVERIFY(ports_->map(1, back.slavePath()));
        QVERIFY2(lampShows(kAmber), qPrintable(context()));
        CHECK_STEP(press(*panel_, "F5"));
        QCOMPARE(sentTo(back), QByteArray("20000.0\r"));
        QVERIFY2(lampShows(kGreen), qPrintable(context()));
        QCOMPARE(sentSoFar(), QByteArray());
        CHECK_STEP(press(*panel_, "alt+e"));
        CHECK_STEP(expectExit(0));
    }

    // Another sender holds the port as start-up opens it: the program waits
    // for it briefly instead of asking for another port.
    void portBusyForAMomentAtStart() {
        QVERIFY(run_->writeSettings("1\r\n"));
        zz::rig::PortHolder holder(pty_->slavePath());
        QVERIFY(holder.ok());
        CHECK_STEP(startProgram());
        const auto screen = x_->waitFor(kStartScreenTitle, kE2eWait, whenEnded());
        QVERIFY2(screen && x_->waitGone(screen->id, kE2eWait), qPrintable(context()));
        std::this_thread::sleep_for(100ms);
        holder.release();
        CHECK_STEP(expectPanelWithStartCommand());
        QVERIFY2(!x_->everShown(kDialogTitle), qPrintable(context()));
    }

    // Each new open of /dev/ptmx is a new terminal nobody reads: refused.
    void pseudoTerminalMasterRefused() {
        QVERIFY(ports_->map(1, "/dev/ptmx"));
        QVERIFY(run_->writeSettings("1\r\n"));
        CHECK_STEP(startProgram());
        const auto dialog = x_->waitFor(kDialogTitle, kE2eWait, whenEnded());
        QVERIFY2(dialog && !x_->everShown(kPanelTitle), qPrintable(context()));
        CHECK_STEP(press(*dialog, "alt+e"));
        CHECK_STEP(expectExit(0));
    }

    // The signals end the program through its event loop: a stalled send
    // fails within its bound first, the port is released with exclusive
    // mode cleared, nothing more is sent, and the status tells the signal.
    void signalsEndCleanly_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("when");
        QTest::newRow("SIGTERM during a stalled send") << SIGTERM << "stalled";
        QTest::newRow("SIGINT on the start screen") << SIGINT << "start screen";
        QTest::newRow("SIGHUP with the panel idle") << SIGHUP << "idle";
    }
    void signalsEndCleanly() {
        QFETCH(int, signal);
        QFETCH(QString, when);
        if (when == "start screen") {
            QVERIFY(run_->writeSettings("1\r\n"));
            CHECK_STEP(startProgram());
            QVERIFY2(x_->waitFor(kStartScreenTitle, kE2eWait, whenEnded()), qPrintable(context()));
        } else {
            CHECK_STEP(startPanelOnPortOne());
        }
        if (when == "stalled") {
            QVERIFY(pty_->stall() > 0);
            CHECK_STEP(press(*panel_, "space"));
            std::this_thread::sleep_for(50ms);
        }
        run_->process().signal(signal);
        CHECK_STEP(expectExit(128 + signal));
        QVERIFY(zz::rig::portIsFree(pty_->slavePath()));
        const QByteArray left = sentSoFar();
        QCOMPARE(left.count('x'), left.size());  // filler at most, nothing of ours
        QVERIFY2(when != "start screen" || !x_->everShown(kPanelTitle), qPrintable(context()));
    }
};

QTEST_GUILESS_MAIN(tst_LinkE2e)
#include "tst_link_e2e.moc"
