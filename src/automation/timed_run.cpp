#include "automation/timed_run.h"

#include "automation/timer_precision.h"

#include <algorithm>

namespace zz::automation {

using namespace std::chrono;

namespace {

// The longest sleep between looks at a stop request: a signal that arrives
// just before a sleep begins is then noticed within this time.
constexpr auto kSlice = milliseconds(50);

bool waitOn(const RunHooks &clock, MonotonicTime due) {
    const auto watch = std::min(clock.watchBeforeDue, kMaxWatchBeforeDue);
    for (;;) {
        if (clock.stopRequested()) return false;
        const auto now = clock.now();
        if (now >= due) return true;
        // Within the watch before the deadline: look at the clock until it
        // comes, without sleeping (a stop request waits for that moment).
        if (now >= due - watch) {
            while (clock.now() < due) {
            }
            return true;
        }
        clock.sleepUntil(std::min(due - watch, now + kSlice));
    }
}

}  // namespace

bool waitUntil(MonotonicTime due, const std::function<bool()> &stopRequested) {
    static_assert(
        steady_clock::is_steady);  // Linux: CLOCK_MONOTONIC; Windows: the performance counter
    RunHooks clock;
    clock.stopRequested = stopRequested;
    return waitOn(clock, due);
}

RunEnd runTimed(const std::function<std::optional<DueSetpoint>()> &next, const RunHooks &hooks) {
    const TimerPrecision precision;
    RunEnd end;
    const MonotonicTime start = hooks.now();
    for (std::size_t i = 0;; ++i) {
        std::optional<DueSetpoint> point = next();
        if (!point) return end;
        const MonotonicTime due = start + duration_cast<steady_clock::duration>(point->at);
        if (!waitOn(hooks, due)) {
            end.kind = RunEnd::Kind::Stopped;
            return end;
        }
        PointTiming timing{due, hooks.now(), {}};
        Status status = hooks.send(point->setpoint);
        timing.ended = hooks.now();
        if (hooks.sent) hooks.sent(i, timing, status);
        if (!status) {
            end.kind = RunEnd::Kind::Failed;
            end.failure = std::move(status);
            return end;
        }
        ++end.sent;
    }
}

RunEnd runTimed(const std::vector<TimedSetpoint> &points, const RunHooks &hooks) {
    std::size_t index = 0;
    nanoseconds at{};
    return runTimed(
        [&]() -> std::optional<DueSetpoint> {
            if (index == points.size()) return std::nullopt;
            DueSetpoint point{points[index].setpoint, at};
            at += points[index++].dwell;
            return point;
        },
        hooks);
}

}  // namespace zz::automation
