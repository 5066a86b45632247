#pragma once
// The temperature sensors the box can stand in for, and the resistance each
// presents at a temperature.

#include "automation/outcome.h"

#include <string>
#include <string_view>
#include <variant>

namespace zz::automation {

struct PlatinumSensor {
    double r0 = 100.0;  // ohms at 0 °C: 100, 500, 1000
};
struct BetaThermistor {
    double r25 = 10000.0;
    double beta = 3950.0;
};
struct SteinhartThermistor {
    double a = 0, b = 0, c = 0;
};
using Sensor = std::variant<PlatinumSensor, BetaThermistor, SteinhartThermistor>;

// "pt100", "pt500", "pt1000" (any case).
Outcome<Sensor> platinumSensorNamed(std::string_view type);
// "A,B,C" of the Steinhart–Hart model.
Outcome<Sensor> steinhartSensor(std::string_view coefficients);

// "Pt100", "NTC R25 10000 Ω β 3950", "NTC Steinhart–Hart".
std::string sensorName(const Sensor &sensor);

// The resistance at `celsius`; refused outside the model's range (-200 to
// 850 °C for platinum; above absolute zero and a finite resistance for a
// thermistor).
Outcome<double> sensorResistance(const Sensor &sensor, double celsius);

}  // namespace zz::automation
