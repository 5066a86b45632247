#pragma once
// A ramp: a value moving in a straight line from one value to another over a
// time (temperatures of a sensor, or resistances), and the moments at which
// its command text changes. The box moves in 0.1 Ω steps, so those moments,
// not a fixed tick, are when a follower has something new to send. A program
// step and a single slew to a new target (from the value now, at a rate) are
// the same piece.

#include "automation/setpoint.h"
#include "common/status.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace zz::automation {

// What a value becomes on the box: the reading's setpoint, and whatever a
// box's profile does to it (lead offset, true ohms).
using SetpointMaker = std::function<Outcome<Setpoint>(double value)>;

// How close and how far apart a follower's commands may be.
struct Spacing {
    std::chrono::nanoseconds least{};  // two frames on the line
    std::chrono::nanoseconds most{};   // the same value again, so a slow ramp shows life
};

struct Ramp {
    double from = 0.0;
    double to = 0.0;
    std::chrono::nanoseconds duration{};

    // From `from` to `to` at `perSecond` (greater than zero; °C or Ω a second).
    static Outcome<Ramp> atRate(double from, double to, double perSecond);

    // The value `at` after the start, held at the ends outside the ramp.
    double valueAt(std::chrono::nanoseconds at) const;
};

// The first moment at or after `after` (and at most the ramp's end) at which
// the ramp's command differs from `command`; nothing when it stays the same
// to the end. Ramps are monotonic in ohms, so the moment is found by
// narrowing a bracket, first around where the value crosses the next 0.1 Ω
// boundary, and to the nanosecond.
Outcome<std::optional<std::chrono::nanoseconds>> nextChange(const Ramp &ramp,
                                                            const SetpointMaker &make,
                                                            const std::string &command,
                                                            std::chrono::nanoseconds after);

}  // namespace zz::automation
