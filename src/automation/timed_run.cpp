#include "automation/timed_run.h"

#ifdef _WIN32
#include <windows.h>

#include <timeapi.h>

#include <thread>
#else
#include <sys/prctl.h>
#include <time.h>
#endif

#include <algorithm>

namespace zz::automation {

using namespace std::chrono;

namespace {

// The longest sleep between looks at a stop request: a signal that arrives
// just before a sleep begins is then noticed within this time.
constexpr auto kSlice = milliseconds(50);

#ifdef _WIN32
// Windows wakes sleepers on its timer tick, about 15.6 ms unless a program
// asks for 1 ms while it runs a timetable.
struct FineTimer {
    FineTimer() { timeBeginPeriod(1); }
    ~FineTimer() { timeEndPeriod(1); }
    FineTimer(const FineTimer &) = delete;
    FineTimer &operator=(const FineTimer &) = delete;
};

void sleepUntil(MonotonicTime until) {
    // The console's Ctrl+C handler runs on a thread of its own: the loop
    // around this sleep sees its request within one slice.
    std::this_thread::sleep_until(until);
}
#else
void sleepUntil(MonotonicTime until) {
    const auto ns = duration_cast<nanoseconds>(until.time_since_epoch()).count();
    const timespec at{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
    // A signal ends the sleep early (EINTR); the caller's loop then looks again.
    ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
}
#endif

}  // namespace

bool waitUntil(MonotonicTime due, const std::function<bool()> &stopRequested) {
    static_assert(
        steady_clock::is_steady);  // Linux: CLOCK_MONOTONIC; Windows: the performance counter
    for (;;) {
        if (stopRequested()) return false;
        const auto now = steady_clock::now();
        if (now >= due) return true;
        sleepUntil(std::min(due, now + kSlice));
    }
}

RunEnd runTimed(const std::vector<TimedSetpoint> &points, const RunHooks &hooks) {
    // The kernel may wake a sleeper up to its timer slack late (50 µs by
    // default) to batch wake-ups; a timetable wants the wake-up on time.
#ifdef _WIN32
    const FineTimer fineTimer;
#else
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
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
