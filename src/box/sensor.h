#pragma once
// The temperature sensors the box can stand in for, and the resistance each
// presents at a temperature: a row of the catalogue, a thermistor given by
// its parameters, or a user's own sensor (a profile's).

#include "box/platinum_rtd.h"
#include "box/sensor_catalogue.h"
#include "box/table_sensor.h"
#include "common/status.h"

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

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
using Sensor =
    std::variant<CurveSensor, BetaThermistor, SteinhartThermistor, PlatinumSensor, TableSensor>;

// The sensors a user names: a platinum one by its coefficients, or a table.
using UserSensor = std::variant<PlatinumSensor, TableSensor>;

Sensor toSensor(const UserSensor &sensor);
const std::string &userSensorName(const UserSensor &sensor);

// The sensor of that name (any case) among the catalogue's and `user`, or
// the reason naming all of them. Every front end looks names up here.
Outcome<Sensor> sensorNamed(std::string_view name, std::span<const UserSensor> user = {});

// Whether a user's sensor may not take `name` (any case): a catalogue's row,
// or "ntc", which names the thermistor given by its parameters everywhere.
bool builtInSensorName(std::string_view name);

// The names offered, the catalogue's first: sensorNames(user) gives "pt100",
// "pt500", "pt1000", "ni1000", then the user's as typed.
std::vector<std::string> sensorNames(std::span<const UserSensor> user = {});
// Those names joined for texts: "pt100, pt500, pt1000, ni1000 or lot7".
std::string sensorNameList(std::span<const UserSensor> user, std::string_view separator,
                           std::string_view lastSeparator);

// "Pt100", "NTC R25 10000 Ω β 3950", "NTC Steinhart-Hart", a user's name.
std::string sensorName(const Sensor &sensor);

// The temperatures a curve or a table covers; nothing for a thermistor's
// formula, which holds above absolute zero.
struct TemperatureSpan {
    double minC = 0.0;
    double maxC = 0.0;
};
std::optional<TemperatureSpan> sensorSpan(const Sensor &sensor);

// The resistance at `celsius`; refused outside a curve's or a table's span,
// and for a thermistor at or below absolute zero or where the model gives no
// finite resistance.
Outcome<double> sensorResistance(const Sensor &sensor, double celsius);

}  // namespace zz::box
