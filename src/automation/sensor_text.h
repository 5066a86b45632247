#pragma once
// Sensors as people write them on a command line: a thermistor's
// Steinhart-Hart coefficients "A,B,C".

#include "box/sensor.h"
#include "common/status.h"

#include <string_view>

namespace zz::automation {

Outcome<box::Sensor> steinhartSensor(std::string_view coefficients);

}  // namespace zz::automation
