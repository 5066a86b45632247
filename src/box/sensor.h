#pragma once
// The temperature sensors the box can stand in for, and the resistance each
// presents at a temperature: a row of the catalogue, or a thermistor given by
// its parameters.

#include "box/platinum_rtd.h"
#include "box/sensor_catalogue.h"
#include "common/status.h"

#include <string>
#include <variant>

namespace zz::box {

struct CurveSensor {
    const SensorType *type = nullptr;  // a row of sensorTypes()
};
struct BetaThermistor {
    double r25 = 10000.0;
    double beta = 3950.0;
};
struct SteinhartThermistor {
    double a = 0, b = 0, c = 0;
};
// A user's own platinum sensor: Callendar–Van Dusen with its calibrated R0,
// A, B and C, over the standard's range.
struct PlatinumSensor {
    std::string name;  // as typed and shown
    double r0 = 100.0;
    platinum_rtd::Coefficients k;
};
using Sensor = std::variant<CurveSensor, BetaThermistor, SteinhartThermistor, PlatinumSensor>;

// The catalogue's sensor of that name (any case), or the reason naming the
// known ones.
Outcome<Sensor> sensorNamed(std::string_view name);

// "Pt100", "NTC R25 10000 Ω β 3950", "NTC Steinhart-Hart", a user's name.
std::string sensorName(const Sensor &sensor);

// The resistance at `celsius`; refused outside a curve's range, and for a
// thermistor at or below absolute zero or where the model gives no finite
// resistance.
Outcome<double> sensorResistance(const Sensor &sensor, double celsius);

}  // namespace zz::box
