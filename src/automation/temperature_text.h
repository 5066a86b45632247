#pragma once
// Temperatures as people write them: "25", "25C", "25 °C", "77F", "298.15K".
// A bare number is in degrees Celsius. Results are in degrees Celsius.

#include "common/status.h"

#include <string_view>

namespace zz::automation {

// Refused below absolute zero.
Outcome<double> readTemperature(std::string_view text);

// A temperature difference, the step of a sweep: "5", "5C", "5K", "9F"
// (= 5 K); greater than zero.
Outcome<double> readTemperatureStep(std::string_view text);

}  // namespace zz::automation
