// Any text as a temperature program, with and without a sensor: a refusal
// with a reason, or a program within the bounds whose first commands keep
// the spacing and are commands the box takes.

#include "automation/program_plan.h"
#include "automation/program_text.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

using namespace zz::automation;
using namespace std::chrono;

namespace {

void walk(const Program &program) {
    const ValueReading reading = program.reading;
    const Spacing spacing{microseconds(16'666), seconds(1)};
    ProgramPlan plan(
        program, [reading](double v) { return reading.setpoint(v); }, spacing);
    std::optional<nanoseconds> last;
    // The first commands only: a program may rightly run for weeks.
    for (int i = 0; i < 2000; ++i) {
        const auto next = plan.next();
        if (!next) {
            FUZZ_CHECK(!next.error().empty());
            return;
        }
        if (!next.value()) return;
        const DueSetpoint &point = *next.value();
        FUZZ_CHECK(point.setpoint.command.size() == 7 && point.setpoint.command[5] == '.');
        if (last) {
            FUZZ_CHECK(point.at - *last >= spacing.least);
            FUZZ_CHECK(point.at - *last <= spacing.most);
        }
        last = point.at;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    const SensorLookup lookup = [](const std::string &name) { return zz::box::sensorNamed(name); };
    for (const bool sensor : {false, true}) {
        std::istringstream in(text);
        const ValueReading given =
            sensor ? ValueReading{zz::box::sensorNamed("pt100").value()} : ValueReading{};
        const auto program = readProgram(in, "fuzz", given, lookup);
        if (!program) {
            FUZZ_CHECK(program.error().rfind("fuzz", 0) == 0);
            continue;
        }
        FUZZ_CHECK(!program.value().steps.empty());
        FUZZ_CHECK(program.value().total <= kMaxProgramDuration);
        walk(program.value());
    }
    return 0;
}
