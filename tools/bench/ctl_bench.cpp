// 6175ZIZ-ctl's figures:
//  - one command from a script: a one-shot `6175ZIZ-ctl set` from process
//    start to the last byte on a pseudo-terminal, beside the same command
//    sent by a Python one-liner with pyserial;
//  - sweep timing: 1000 points at 10 ms, each command's start against its
//    deadline (the timetable code in this process, on a real port), and the
//    same sweep by the real program as the far end of the line sees it.
//
//   ctl_bench [one-shot runs]      (default 20 of each, interleaved)

#include "automation/setpoint.h"
#include "automation/timed_run.h"
#include "link/serial_control.h"
#include "rig/child_process.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono;
using Clock = steady_clock;

// Reads the master side all the time and notes when each carriage return
// (the end of a frame) arrived.
class FrameWatcher {
public:
    explicit FrameWatcher(int master) : master_(master), thread_([this] { run(); }) {}
    ~FrameWatcher() {
        stop_ = true;
        thread_.join();
    }
    std::vector<Clock::time_point> frameEnds() {
        std::lock_guard lock(mutex_);
        return ends_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        ends_.clear();
        bytes_.clear();
    }
    std::string bytes() {
        std::lock_guard lock(mutex_);
        return bytes_;
    }
    // Waits until `frames` frames have ended, or 10 s have passed, or a
    // second after the child ended (time for this thread to read what it left).
    bool waitFor(std::size_t frames, zz::test::ChildProcess &child) {
        auto deadline = Clock::now() + seconds(10);
        bool ended = false;
        while (Clock::now() < deadline) {
            if (frameEnds().size() >= frames) return true;
            if (!ended && !child.running()) {
                ended = true;
                deadline = std::min(deadline, Clock::now() + seconds(1));
            }
            std::this_thread::sleep_for(microseconds(200));
        }
        return false;
    }

private:
    void run() {
        char buffer[256];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            const auto now = Clock::now();
            std::lock_guard lock(mutex_);
            for (ssize_t i = 0; i < n; ++i) {
                bytes_.push_back(buffer[i]);
                if (buffer[i] == '\r') ends_.push_back(now);
            }
        }
    }
    int master_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<Clock::time_point> ends_;
    std::string bytes_;
    std::thread thread_;
};

double ms(Clock::duration d) {
    return duration<double, std::milli>(d).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Process start to the last byte of "01234.5\r" on the line, in ms; negative
// on failure.
double oneShot(const std::vector<std::string> &argv, FrameWatcher &watcher) {
    watcher.clear();
    zz::test::ChildProcess child;
    if (!child.start(argv)) return -1;
    const bool arrived = watcher.waitFor(1, child);
    const auto status = zz::test::exitCode(child.waitForExit(seconds(10)));
    if (!arrived || status != 0 || watcher.bytes() != "01234.5\r") {
        std::fprintf(stderr, "  %s: %s, line got \"%s\"\n", argv[0].c_str(),
                     zz::test::describeWaitStatus(child.waitStatus()).c_str(),
                     watcher.bytes().c_str());
        return -1;
    }
    return ms(watcher.frameEnds().front() - child.startedAt());
}

void lateness(const char *title, std::vector<double> lateMs, double driftMs) {
    std::sort(lateMs.begin(), lateMs.end());
    const auto over = [&](double limit) {
        return lateMs.end() - std::upper_bound(lateMs.begin(), lateMs.end(), limit);
    };
    std::printf(
        "  %-40s median %.3f ms, 99th %.3f ms, max %.3f ms, drift %.3f ms;"
        " later than 1 ms: %ld, 2 ms: %ld\n",
        title, lateMs[lateMs.size() / 2], lateMs[lateMs.size() * 99 / 100], lateMs.back(), driftMs,
        long(over(1.0)), long(over(2.0)));
}

}  // namespace

int main(int argc, char **argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    zz::test::PtyPair pty;
    zz::test::PortMapSandbox sandbox;
    if (!pty.ok() || !sandbox.ok() || !sandbox.map(1, pty.slavePath())) {
        std::fprintf(stderr, "ctl_bench: no pseudo-terminal or port map\n");
        return 1;
    }
    FrameWatcher watcher(pty.masterFd());
    const std::string device = pty.slavePath();

    std::printf("6175ZIZ-ctl, one command from process start to the last byte (%d runs each):\n",
                runs);
    const std::vector<std::string> ours{CTL_PATH, "--device", device, "set", "1234.5"};
    const std::vector<std::string> python{
        "/usr/bin/python3", "-c",  // Debian's, where python3-serial installs
        "import serial,sys; s=serial.Serial(sys.argv[1],9600); s.write(b'01234.5\\r'); "
        "s.flush(); s.close()",
        device};
    std::vector<double> oursMs, pythonMs;
    for (int i = 0; i < runs; ++i) {
        oursMs.push_back(oneShot(ours, watcher));
        pythonMs.push_back(oneShot(python, watcher));
    }
    const auto failed = [](const std::vector<double> &v) {
        return std::count_if(v.begin(), v.end(), [](double x) { return x < 0; });
    };
    if (failed(oursMs) || failed(pythonMs)) {
        std::printf("  failed runs: 6175ZIZ-ctl %ld, pyserial %ld (is python3-serial installed?)\n",
                    long(failed(oursMs)), long(failed(pythonMs)));
    } else {
        std::printf("  6175ZIZ-ctl set     median %7.2f ms  (min %.2f)\n", median(oursMs),
                    *std::min_element(oursMs.begin(), oursMs.end()));
        std::printf("  pyserial one-liner  median %7.2f ms  (min %.2f)\n", median(pythonMs),
                    *std::min_element(pythonMs.begin(), pythonMs.end()));
        std::printf("  ours / pyserial     %.2f  (target: at most 0.25)\n",
                    median(oursMs) / median(pythonMs));
    }

    constexpr int kPoints = 1000;
    constexpr auto kDwell = milliseconds(10);
    std::printf(
        "Sweep of %d points at %lld ms (targets: median < 0.2 ms, max < 2 ms, drift < 1 ms):\n",
        kPoints, static_cast<long long>(kDwell.count()));

    // The timetable code itself, sending on a real port.
    std::vector<zz::automation::TimedSetpoint> points;
    for (int i = 0; i < kPoints; ++i)
        points.push_back({zz::automation::setpointForOhms(100.0 + i).value(), kDwell});
    zz::link::SerialControl control;
    std::vector<double> lateMs;
    Clock::time_point firstDue, lastStart;
    zz::automation::RunHooks hooks;
    hooks.send = [&](const zz::automation::Setpoint &p) {
        return zz::link::sendCommand(control, p.command);
    };
    hooks.sent = [&](std::size_t i, const zz::automation::PointTiming &t, const zz::Status &) {
        if (i == 0) firstDue = t.due;
        lastStart = t.started;
        lateMs.push_back(ms(t.started - t.due));
    };
    watcher.clear();
    const auto end = zz::automation::runTimed(points, hooks);
    if (end.kind != zz::automation::RunEnd::Kind::Done) {
        std::printf("  the sweep failed at point %zu: %s\n", end.sent + 1,
                    end.failure.text().c_str());
        return 1;
    }
    lateness("command start against its deadline:", lateMs,
             ms(lastStart - firstDue - (kPoints - 1) * kDwell));

    // The real program, as the far end of the line sees it: each frame's end
    // against the first frame's end plus whole dwells.
    watcher.clear();
    zz::test::ChildProcess child;
    child.start({CTL_PATH, "--device", device, "--quiet", "sweep", "100",
                 std::to_string(99 + kPoints), "--step", "1", "--dwell", "10ms"});
    const bool all = watcher.waitFor(kPoints, child);
    const auto status = zz::test::exitCode(child.waitForExit(seconds(30)));
    const auto ends = watcher.frameEnds();
    if (!all || status != 0) {
        std::printf("  6175ZIZ-ctl sweep: %zu frames, %s\n", ends.size(),
                    zz::test::describeWaitStatus(child.waitStatus()).c_str());
        return 1;
    }
    // The program's own deadlines are not visible from here: the timetable
    // is taken as the earliest one every frame fits, so the figures are what
    // the line shows beyond it (the first frame includes the first open).
    std::vector<double> arrivalMs;
    for (std::size_t i = 0; i < ends.size(); ++i)
        arrivalMs.push_back(ms(ends[i] - int(i) * kDwell - ends[0]));
    const double earliest = *std::min_element(arrivalMs.begin(), arrivalMs.end());
    for (double &a : arrivalMs) a -= earliest;
    lateness("6175ZIZ-ctl, frame end on the line:", arrivalMs,
             arrivalMs.back() - median(arrivalMs));
    return 0;
}
