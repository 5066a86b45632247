#include "automation/timed_run.h"

#include <sys/prctl.h>
#include <time.h>

#include <algorithm>

namespace zz::automation {

using namespace std::chrono;

namespace {

// The longest sleep between looks at a stop request: a signal that arrives
// just before a sleep begins is then noticed within this time.
constexpr auto kSlice = milliseconds(50);

timespec monotonicSpec(MonotonicTime t) {
    const auto ns = duration_cast<nanoseconds>(t.time_since_epoch()).count();
    return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

}  // namespace

bool waitUntil(MonotonicTime due, const std::function<bool()> &stopRequested) {
    static_assert(steady_clock::is_steady);  // on Linux: CLOCK_MONOTONIC
    for (;;) {
        if (stopRequested()) return false;
        const auto now = steady_clock::now();
        if (now >= due) return true;
        const timespec until = monotonicSpec(std::min(due, now + kSlice));
        // A signal ends the sleep early (EINTR); the loop then looks again.
        ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
    }
}

RunEnd runTimed(const std::vector<TimedSetpoint> &points, const RunHooks &hooks) {
    // The kernel may wake a sleeper up to its timer slack late (50 µs by
    // default) to batch wake-ups; a timetable wants the wake-up on time.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    RunEnd end;
    MonotonicTime due = steady_clock::now();
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!waitUntil(due, hooks.stopRequested)) {
            end.kind = RunEnd::Kind::Stopped;
            return end;
        }
        PointTiming timing{due, steady_clock::now(), {}};
        Status status = hooks.send(points[i].setpoint);
        timing.ended = steady_clock::now();
        if (hooks.sent) hooks.sent(i, timing, status);
        if (!status) {
            end.kind = RunEnd::Kind::Failed;
            end.failure = std::move(status);
            return end;
        }
        ++end.sent;
        due += duration_cast<steady_clock::duration>(points[i].dwell);
    }
    return end;
}

}  // namespace zz::automation
