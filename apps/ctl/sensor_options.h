#pragma once
// The sensor a command line names, and so how its values are read:
// resistances, or temperatures of a resistance thermometer (rtd, --rtd:
// the catalogue's, a platinum or table sensor of the box's profile, --r0
// with --cvd, --table) or of a thermistor (ntc, --ntc: --r25 with --beta,
// --steinhart, --table, a thermistor table of the profile by --type).
// Options that name two sensors, or a sensor of the other kind, are
// refused: one of them silently winning would set wrong temperatures.

#include "automation/setpoint.h"
#include "box/sensor.h"
#include "common/status.h"
#include "options.h"

#include <vector>

namespace zz::ctl {

Outcome<automation::ValueReading> sensorReading(const Options &options,
                                                const std::vector<box::UserSensor> &userSensors);

// Whether the sensor is a thermistor: its resistance falls as it warms.
bool isThermistor(const box::Sensor &sensor);

// The profile's sensors that rtd and --rtd take (platinum, RTD tables), and
// those that ntc --type takes (NTC tables), in the profile's order.
std::vector<box::UserSensor> thermometersOf(const std::vector<box::UserSensor> &userSensors);
std::vector<box::UserSensor> thermistorsOf(const std::vector<box::UserSensor> &userSensors);

}  // namespace zz::ctl
