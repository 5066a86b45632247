#pragma once
// Everything a run will send, worked out and checked before the port is
// touched: every point's command and dwell, and the final value. Any value
// that cannot be read or that the box cannot present stops here, so a run
// that starts never stops half-way for a typing mistake.

#include "automation/point_list.h"
#include "automation/setpoint.h"
#include "box/sensor.h"
#include "common/status.h"
#include "options.h"

#include <istream>
#include <optional>
#include <vector>

namespace zz::ctl {

// What the points stand for, which decides what the profile does to them.
enum class PointKind {
    Value,    // a resistance, or a sensor's temperature
    Burnout,  // a failed sensor's resistance: a sensor value all the same
    Fault,    // short or open: the box's end digits, sent as they are
};

struct RunPlan {
    std::vector<automation::TimedSetpoint> points;
    std::optional<automation::Setpoint> finalPoint;  // --final
    PointKind kind = PointKind::Value;
    // The lead offset taken off the points and off the final value (zero
    // for resistances), for their report.
    double pointLeadsOhms = 0.0;
    double finalLeadsOhms = 0.0;
};

// `standardInput` is read for "list -"; `userSensors` (the box profile's)
// are named by --type and --rtd beside the catalogue's.
Outcome<RunPlan> makeRunPlan(const Options &options, std::istream &standardInput,
                             const std::vector<box::UserSensor> &userSensors = {});

// The sensors as the other commands name them, for a temperature program:
// a name (a user's sensor before the catalogue's), and the reading that the
// command line's sensor options give.
Outcome<box::Sensor> lookUpSensor(const std::string &name,
                                  const std::vector<box::UserSensor> &userSensors);
Outcome<automation::ValueReading> valueReadingOf(const Options &options,
                                                 const std::vector<box::UserSensor> &userSensors);

}  // namespace zz::ctl
