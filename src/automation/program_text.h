#pragma once
// Temperature programs: one step a line, "#" starts a comment, blank lines
// are skipped.
//
//   sensor pt100              the values are temperatures of this sensor
//   start 20C                 the first value, sent at once (first step only)
//   ramp 120C 5K/min          to 120 °C at 5 K a minute (K/s, K/h; F/min ...)
//   ramp 120C in 20min        to 120 °C in 20 minutes
//   soak 10min                hold the value
//   step 80C                  jump to 80 °C
//   repeat 3 {                the steps up to "}" three times; "{" ends the
//   }                         repeat line or stands alone on the next one,
//                             "}" stands alone; repeats nest
//
// Without a sensor the values are resistances: "ramp 10k 50ohm/s",
// "step 1k5" (ohm/s, ohm/min, ohm/h). Values and rates are one word each.
//
// The whole text is read and checked before anything is sent: the first line
// that cannot be read stops the reading with its line number. Hostile text
// is bounded: line length, nesting, repeat counts and the total time.

#include "automation/setpoint.h"
#include "box/sensor.h"
#include "common/status.h"

#include <chrono>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace zz::automation {

inline constexpr std::size_t kMaxProgramLineLength = 200;
inline constexpr std::size_t kMaxProgramLines = 10'000;
inline constexpr int kMaxProgramDepth = 8;
inline constexpr long long kMaxRepeatCount = 1'000'000;
inline constexpr std::chrono::hours kMaxProgramDuration{500};

struct ProgramStep {
    enum class Kind { Start, Step, Ramp, Soak, Repeat };
    Kind kind = Kind::Step;
    int line = 0;
    std::string text;                     // the line as written, without its comment
    double value = 0;                     // Start, Step, Ramp: the target, °C or Ω
    std::optional<double> perSecond;      // Ramp at a rate
    std::chrono::nanoseconds duration{};  // Soak; Ramp "in"
    long long count = 0;                  // Repeat
    std::vector<ProgramStep> body;        // Repeat
};

struct Program {
    ValueReading reading;  // temperatures of a sensor, or resistances
    std::vector<ProgramStep> steps;
    std::chrono::nanoseconds total{};  // from the first command to the end
};

// A sensor by the name a "sensor" line gives (the catalogue's and a box's own).
using SensorLookup = std::function<Outcome<box::Sensor>(const std::string &name)>;

// `given` is the sensor of the command line, if any; a program may name its
// own instead, not both. `source` names the text in messages:
// "heat.txt:3: ...".
Outcome<Program> readProgram(std::istream &in, const std::string &source, const ValueReading &given,
                             const SensorLookup &lookup);

}  // namespace zz::automation
