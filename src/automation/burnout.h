#pragma once
// The value a sensor shows when it has failed, for checking a transmitter's
// burnout alarm: a resistance 10 % beyond the one at the end of the sensor's
// range, held inside the box's range.
//
//  - low (downscale): a resistance thermometer 10 % below its resistance at
//    the bottom of its range; a thermistor 10 % above its resistance at
//    -55 °C (its resistance falls as it warms);
//  - high (upscale): a resistance thermometer 10 % above its resistance at
//    the top of its range; a thermistor 10 % below its resistance at 150 °C.
//
// Thermistors are taken over -55 °C to 150 °C, the range of most parts.

#include "automation/setpoint.h"
#include "box/sensor.h"
#include "common/status.h"

#include <string_view>

namespace zz::automation {

inline constexpr double kBurnoutMargin = 0.10;
inline constexpr double kThermistorLowC = -55.0;
inline constexpr double kThermistorHighC = 150.0;

enum class Burnout { Low, High };

// "low" or "high".
Outcome<Burnout> readBurnout(std::string_view text);

// The setpoint of the failed sensor (no temperature: it shows none).
Outcome<Setpoint> burnoutSetpoint(const box::Sensor &sensor, Burnout side);

}  // namespace zz::automation
