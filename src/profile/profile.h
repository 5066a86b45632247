#pragma once
// What the host knows of one box, kept per port in a profile file
// (profile_file.h): who it is, the limits that protect the unit under test,
// its correction table, the resistance of the leads to that unit and the
// user's own sensors.

#include "box/sensor.h"
#include "profile/correction_table.h"
#include "profile/limits.h"

#include <optional>
#include <string>
#include <vector>

namespace zz::profile {

struct Profile {
    std::string serial;  // empty: not given
    std::string name;
    Limits limits;
    std::optional<CorrectionTable> table;
    // The resistance the leads add between box and input; a sensor's value
    // is set this much lower, so the input sees the sensor's resistance.
    double leadOffsetOhms = 0.0;
    // The user's own sensors, platinum or tables, offered by name beside
    // the catalogue's (box::sensorNamed, box::sensorNames).
    std::vector<box::UserSensor> sensors;
};

}  // namespace zz::profile
