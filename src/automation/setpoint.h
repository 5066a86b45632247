#pragma once
// One value for the box, ready to send: the command text, the ohms it came
// from, and the temperature when a sensor model gave the ohms. Made only for
// values the box can present, so a plan of setpoints can be sent without
// further checks.

#include "box/sensor.h"
#include "common/status.h"

#include <optional>
#include <string>
#include <string_view>

namespace zz::automation {

struct Setpoint {
    std::string command;  // "00138.5"
    double ohms = 0.0;    // 138.5055
    std::optional<double> celsius;
    std::optional<double> trueOhms;  // what the box presents, from its correction table
};

// Refused when the rounded value lies outside 0.0 to 99999.9 Ω.
Outcome<Setpoint> setpointForOhms(double ohms);
Outcome<Setpoint> setpointForTemperature(const box::Sensor &sensor, double celsius);

// How the values of a run are read: resistances, or temperatures of a sensor.
struct ValueReading {
    std::optional<box::Sensor> sensor;

    Outcome<double> readValue(std::string_view text) const;  // ohms or °C
    Outcome<Setpoint> setpoint(double value) const;
    Outcome<Setpoint> readSetpoint(std::string_view text) const;
};

}  // namespace zz::automation
