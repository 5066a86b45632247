#pragma once
// A temperature program as a timetable made as it goes: asked for the
// command due next, it answers with the command and its due time from the
// start, step by step, and says where the program stands. It owns no loop
// and no clock, so 6175ZIZ-ctl drives it with runTimed and a server with its
// own timer; memory stays that of the program's text however long it runs.
//
// Commands: a start or step at once; a ramp each time its command text
// changes, never closer than Spacing::least to the one before and never
// further than Spacing::most from it (the same value again, so a slow ramp
// or a soak shows life); due times are on the absolute timetable of the
// steps, so a command pushed back by the spacing delays only itself.

#include "automation/program_text.h"
#include "automation/ramp.h"
#include "automation/timed_run.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zz::automation {

// Where the program stands at the command last handed out.
struct ProgramProgress {
    std::size_t commands = 0;         // handed out so far
    std::size_t step = 0;             // steps entered so far, counting each pass
    int line = 0;                     // of the step the last command belongs to
    std::string text;                 // that step as written
    std::vector<long long> passes;    // of each enclosing repeat, from 1
    std::optional<double> target;     // °C or Ω of the last command
    std::chrono::nanoseconds at{};    // its due time
    std::chrono::nanoseconds left{};  // from it to the program's end
};

class ProgramPlan {
public:
    ProgramPlan(Program program, SetpointMaker make, Spacing spacing);

    // The command due next and when; nothing once the program has ended. A
    // value the box cannot take fails (a checked walk beforehand finds it).
    Outcome<std::optional<DueSetpoint>> next();

    const ProgramProgress &progress() const { return progress_; }
    std::chrono::nanoseconds total() const { return program_->total; }
    const Program &program() const { return *program_; }

private:
    struct Frame {
        const std::vector<ProgramStep> *steps;
        std::size_t index = 0;
        long long pass = 0;
        long long count = 1;
    };
    using Found = Outcome<std::optional<DueSetpoint>>;

    bool enterNext();
    Found handOut(std::chrono::nanoseconds at, double value);

    // Shared and never changed, so a copy of the plan (a walk ahead of the
    // run) points into the same steps.
    std::shared_ptr<const Program> program_;
    SetpointMaker make_;
    Spacing spacing_;
    std::vector<Frame> frames_;

    const ProgramStep *leaf_ = nullptr;
    std::chrono::nanoseconds leafStart_{}, leafEnd_{};
    Ramp ramp_;
    bool leafSent_ = false;
    std::optional<double> value_;  // at the start of the step entered

    std::optional<DueSetpoint> last_;
    ProgramProgress progress_;
};

// Every target of the program (start, step, ramp ends) as the box will be
// sent it; the first that cannot be sent, named by its line. Ramps are
// monotonic, so their ends bound every value between.
Status checkTargets(const Program &program, const SetpointMaker &make);

// Where a command of a plan stands, for messages: "command 3 at +1.000 s,
// line 2 (ramp 120C 5K/min), pass 2".
std::string describeCommandPlace(const ProgramProgress &progress);

// Walks a copy of the plan to its end without sending anything: each
// command in turn to `check`; the first refusal comes back with its place
// ("command 3 at +1.000 s, line 2 (...), 02100.0: above ..."), and so does a
// plan of more than `mostCommands` commands.
Status checkEveryCommand(ProgramPlan plan, std::size_t mostCommands,
                         const std::function<Status(const Setpoint &)> &check);

// A single slew: from the value now to `to` at `perSecond`, as a program of
// one ramp that a server can drive like any other.
Outcome<Program> slewProgram(const ValueReading &reading, double from, double to, double perSecond);

}  // namespace zz::automation
