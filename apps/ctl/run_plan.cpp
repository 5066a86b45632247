#include "run_plan.h"

#include "automation/burnout.h"
#include "automation/duration_text.h"
#include "automation/resistance_text.h"
#include "automation/sweep_points.h"
#include "automation/temperature_text.h"
#include "box/range.h"
#include "box/sensor.h"
#include "sensor_options.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>

namespace zz::ctl {

using namespace automation;

namespace {

using Plan = Outcome<RunPlan>;

Outcome<int> readCount(const std::string &text, const char *what) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 1)
        return Outcome<int>::failure(std::string(what) + " \"" + text +
                                     "\" is not a whole number of at least 1");
    return value;
}

std::size_t operandsOf(const Options &o) {
    if (o.command == Command::Short || o.command == Command::Open) return 0;
    if (o.burnout && (o.command == Command::Rtd || o.command == Command::Ntc)) return 0;
    return o.command == Command::Sweep ? 2 : 1;
}

const char *nameOf(Command command) {
    switch (command) {
        case Command::Set:
            return "set";
        case Command::Sweep:
            return "sweep";
        case Command::List:
            return "list";
        case Command::Rtd:
            return "rtd";
        case Command::Ntc:
            return "ntc";
        case Command::Ports:
            return "ports";
        case Command::Profile:
            return "profile";
        case Command::Program:
            return "program";
        case Command::Short:
            return "short";
        case Command::Open:
            return "open";
    }
    return "";
}

// Options that only one command takes: given to another, they would be
// silently ignored, which hides a mistake.
std::string misplacedOption(const Options &o) {
    const bool sweep = o.command == Command::Sweep;
    if (!sweep && (o.step || o.perDecade || o.repeat))
        return "--step, --points-per-decade or --repeat";
    if (!sweep && o.command != Command::List && o.dwell) return "--dwell";
    const bool program = o.command == Command::Program;
    if (!sweep && o.command != Command::List && !program && o.realtime) return "--realtime";
    if (!program && o.maxInterval) return "--max-interval";
    if (o.command != Command::Rtd && o.command != Command::Ntc && o.burnout) return "--burnout";
    return {};
}

Outcome<std::vector<double>> sweepValues(const Options &o, const ValueReading &reading) {
    using Values = Outcome<std::vector<double>>;
    const auto from = reading.readValue(o.operands[0]);
    if (!from) return Values::failure(from.error());
    const auto to = reading.readValue(o.operands[1]);
    if (!to) return Values::failure(to.error());
    if (o.step.has_value() == o.perDecade.has_value())
        return Values::failure("sweep needs either --step STEP or --points-per-decade N");

    Values points = Values::failure({});
    if (o.step) {
        const auto step = reading.sensor ? readTemperatureStep(*o.step) : readResistance(*o.step);
        if (!step) return Values::failure("--step: " + step.error());
        points = linearPoints(from.value(), to.value(), step.value());
    } else {
        if (reading.sensor)
            return Values::failure("--points-per-decade sweeps resistances, not temperatures");
        const auto perDecade = readCount(*o.perDecade, "--points-per-decade");
        if (!perDecade) return Values::failure(perDecade.error());
        points = logPoints(from.value(), to.value(), perDecade.value());
    }
    if (!points) return points;
    const auto times = readCount(o.repeat.value_or("1"), "--repeat");
    if (!times) return Values::failure(times.error());
    return repeated(points.value(), times.value());
}

Plan sweepPlan(const Options &o, const ValueReading &reading, std::chrono::nanoseconds dwell) {
    const auto values = sweepValues(o, reading);
    if (!values) return Plan::failure(values.error());
    RunPlan plan;
    plan.points.reserve(values.value().size());
    for (std::size_t i = 0; i < values.value().size(); ++i) {
        const auto point = reading.setpoint(values.value()[i]);
        if (!point)
            return Plan::failure("point " + std::to_string(i + 1) +
                                 " of the sweep: " + point.error());
        plan.points.push_back({point.value(), dwell});
    }
    return plan;
}

Plan listPlan(const std::string &source, std::istream &standardInput, const ValueReading &reading,
              std::chrono::nanoseconds dwell) {
    std::ifstream file;
    if (source != "-") {
        file.open(source);
        if (!file) return Plan::failure("cannot open " + source + ": " + std::strerror(errno));
    }
    auto points = readPointList(source == "-" ? standardInput : file,
                                source == "-" ? "standard input" : source, reading, dwell);
    if (!points) return Plan::failure(points.error());
    return RunPlan{std::move(points.value()), std::nullopt};
}

}  // namespace

Plan makeRunPlan(const Options &o, std::istream &standardInput,
                 const std::vector<box::UserSensor> &userSensors) {
    // "set 1.5 kΩ" unquoted is one value in two words.
    std::vector<std::string> operands = o.operands;
    if (o.command != Command::Sweep && o.command != Command::List && operands.size() > 1) {
        for (std::size_t i = 1; i < operands.size(); ++i) operands[0] += " " + operands[i];
        operands.resize(1);
    }
    if (operands.size() != operandsOf(o))
        return Plan::failure(std::string(nameOf(o.command)) + " takes " +
                             (o.command == Command::Sweep ? "FROM and TO"
                              : operandsOf(o) == 0        ? "no value"
                                                          : "one value") +
                             ", see --help");
    if (const auto misplaced = misplacedOption(o); !misplaced.empty())
        return Plan::failure(nameOf(o.command) + std::string(" takes no ") + misplaced);
    const auto reading = sensorReading(o, userSensors);
    if (!reading) return Plan::failure(reading.error());
    const auto dwell = readDuration(o.dwell.value_or("1s"));
    if (!dwell) return Plan::failure("--dwell: " + dwell.error());

    Plan plan = Plan::failure({});
    if (o.command == Command::Sweep) {
        plan = sweepPlan(o, reading.value(), dwell.value());
    } else if (o.command == Command::List) {
        plan = listPlan(operands[0], standardInput, reading.value(), dwell.value());
    } else if (o.command == Command::Short || o.command == Command::Open) {
        // The box's two ends: no true short or open, its lowest and highest value.
        const auto point =
            setpointForOhms(o.command == Command::Short ? box::kMinOhms : box::kMaxOhms);
        plan = RunPlan{{{point.value(), {}}}, std::nullopt, PointKind::Fault};
    } else if (o.burnout) {
        const auto side = readBurnout(*o.burnout);
        if (!side) return Plan::failure(side.error());
        const auto point = burnoutSetpoint(*reading.value().sensor, side.value());
        if (!point) return Plan::failure("--burnout: " + point.error());
        plan = RunPlan{{{point.value(), {}}}, std::nullopt, PointKind::Burnout};
    } else {
        const auto point = reading.value().readSetpoint(operands[0]);
        if (!point) return Plan::failure(point.error());
        plan = RunPlan{{{point.value(), {}}}, std::nullopt};
    }
    if (!plan || !o.finalValue) return plan;
    const auto final = reading.value().readSetpoint(*o.finalValue);
    if (!final) return Plan::failure("--final: " + final.error());
    plan.value().finalPoint = final.value();
    return plan;
}

Outcome<box::Sensor> lookUpSensor(const std::string &name,
                                  const std::vector<box::UserSensor> &userSensors) {
    return sensorNamed(name, userSensors);
}

Outcome<ValueReading> valueReadingOf(const Options &o,
                                     const std::vector<box::UserSensor> &userSensors) {
    return sensorReading(o, userSensors);
}

}  // namespace zz::ctl
