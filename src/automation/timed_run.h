#pragma once
// Sends a list of setpoints on a timetable of absolute deadlines on the
// monotonic clock: point i+1 is due one dwell after point i was due, so a
// slow command delays only itself, never the rest of the run. Between points
// the run waits in short slices so that a stop request is seen promptly; a
// command that has begun is always finished first.

#include "automation/point_list.h"
#include "common/status.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace zz::automation {

using MonotonicTime = std::chrono::steady_clock::time_point;

// Sleeps until `until` on the monotonic clock or until a signal comes.
void sleepOnMonotonicClock(MonotonicTime until);

struct PointTiming {
    MonotonicTime due;
    MonotonicTime started;  // when the command began
    MonotonicTime ended;
};

struct RunHooks {
    // Sends one command; the run stops at the first failure.
    std::function<Status(const Setpoint &)> send;
    // Asked before each point and while waiting; true ends the run there.
    std::function<bool()> stopRequested = [] { return false; };
    // Told of every command sent, whatever its outcome.
    std::function<void(std::size_t index, const PointTiming &, const Status &)> sent;

    // The timetable's clock and sleep: the monotonic clock unless the caller
    // (a test) brings its own.
    std::function<MonotonicTime()> now = [] { return std::chrono::steady_clock::now(); };
    std::function<void(MonotonicTime)> sleepUntil = sleepOnMonotonicClock;
    // How long before each deadline the sleep ends and the clock is watched
    // instead, so that the scheduler's wake-up latency is not added to the
    // start. It keeps a core busy: a fraction of a millisecond at most.
    std::chrono::microseconds watchBeforeDue{0};
};

inline constexpr std::chrono::microseconds kMaxWatchBeforeDue{300};

struct RunEnd {
    enum class Kind { Done, Failed, Stopped };
    Kind kind = Kind::Done;
    std::size_t sent = 0;  // commands that went out whole
    Status failure;        // for Failed: why point `sent` failed
};

RunEnd runTimed(const std::vector<TimedSetpoint> &points, const RunHooks &hooks);

// One command of a timetable made as it goes: due `at` after the run's start.
struct DueSetpoint {
    Setpoint setpoint;
    std::chrono::nanoseconds at{};
};

// The same run with the commands asked for one at a time, so that a long
// program never lies in memory whole; nothing from `next` ends the run.
// `next` is asked right after each command has gone out. The index handed to
// `sent` counts the commands from 0.
RunEnd runTimed(const std::function<std::optional<DueSetpoint>()> &next, const RunHooks &hooks);

// Sleeps until `due` on the monotonic clock (absolute, not a duration, so
// wake-ups that come late do not add up); false when stopRequested said so first.
bool waitUntil(MonotonicTime due, const std::function<bool()> &stopRequested);

}  // namespace zz::automation
