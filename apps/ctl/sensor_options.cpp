#include "sensor_options.h"

#include "automation/resistance_text.h"
#include "automation/sensor_text.h"
#include "box/range.h"
#include "common/decimal_text.h"
#include "profile/file_text.h"
#include "profile/sensor_table_csv.h"

#include <array>
#include <variant>

namespace zz::ctl {

using automation::ValueReading;

namespace {

using SensorOutcome = Outcome<box::Sensor>;

bool isNtcTable(const box::UserSensor &sensor) {
    const auto *table = std::get_if<box::TableSensor>(&sensor);
    return table && table->kind == box::TableKind::Ntc;
}

// The options that each give a sensor; two of them are a contradiction.
std::string twoSensors(const Options &o) {
    const std::array<std::pair<bool, const char *>, 6> sources{{
        {o.type.has_value(), "--type"},
        {o.rtd.has_value(), "--rtd"},
        {o.r0 || o.cvd, "--r0/--cvd"},
        {o.table.has_value(), "--table"},
        {o.r25 || o.beta, "--r25/--beta"},
        {o.steinhart.has_value(), "--steinhart"},
    }};
    std::string first;
    for (const auto &[given, name] : sources) {
        if (!given) continue;
        if (!first.empty()) return "give one sensor: " + first + " and " + name + " each name one";
        first = name;
    }
    return {};
}

// --r0 R --cvd A,B[,C], held to what the profile's [sensors.NAME] takes.
SensorOutcome platinumSensor(const Options &o) {
    if (!o.r0 || !o.cvd)
        return SensorOutcome::failure("a platinum sensor needs --r0 R and --cvd A,B[,C]");
    const auto r0 = automation::readResistance(*o.r0);
    if (!r0 || !(r0.value() > 0) || r0.value() > box::kMaxOhms)
        return SensorOutcome::failure(
            "--r0: " + (r0 ? "its resistance at 0 \u00B0C must be above zero, at most " +
                                 common::decimalText(box::kMaxOhms) + " \u03A9"
                           : r0.error()));
    std::vector<double> k;
    std::string_view rest = *o.cvd;
    for (;;) {
        const auto comma = rest.find(',');
        const auto value = common::readDecimal(rest.substr(0, comma));
        if (!value || k.size() == 3)
            return SensorOutcome::failure("--cvd: cannot read \"" + *o.cvd +
                                          "\" as the Callendar-Van Dusen coefficients A,B[,C]");
        k.push_back(*value);
        if (comma == rest.npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (k.size() < 2)
        return SensorOutcome::failure("--cvd: give A and B (and C, which acts below 0 \u00B0C)");
    if (!(k[0] > 0)) return SensorOutcome::failure("--cvd: A must be above zero");
    return box::Sensor{box::PlatinumSensor{"Pt R0 " + common::decimalText(r0.value()) + " \u03A9",
                                           r0.value(),
                                           {k[0], k[1], k.size() == 3 ? k[2] : 0.0}}};
}

// --table FILE: the rows of a datasheet's CSV, read and refused as the
// profile's table files are. The sensor is named after the file.
SensorOutcome tableSensor(const std::string &path, box::TableKind kind) {
    const auto text = profile::readFileText(path, "a sensor's table is a few hundred lines");
    if (!text) return SensorOutcome::failure("--table: " + text.error());
    if (!text.value()) return SensorOutcome::failure("--table: " + path + ": no such file");
    auto rows = profile::readSensorTable(*text.value(), path, kind);
    if (!rows) return SensorOutcome::failure("--table: " + rows.error());
    const std::size_t slash = path.find_last_of("/\\");
    return box::Sensor{box::TableSensor{slash == path.npos ? path : path.substr(slash + 1), kind,
                                        std::move(rows.value())}};
}

SensorOutcome betaThermistor(const Options &o) {
    if (!o.r25 || !o.beta)
        return SensorOutcome::failure(
            "a thermistor needs --r25 R --beta B, --steinhart A,B,C, --table FILE or --type "
            "NAME (a thermistor table of the box's profile)");
    const auto r25 = automation::readResistance(*o.r25);
    if (!r25 || !(r25.value() > 0))
        return SensorOutcome::failure("--r25: " +
                                      (r25 ? "must be greater than zero" : r25.error()));
    const auto beta = common::readDecimal(*o.beta);
    if (!beta || !(*beta > 0))
        return SensorOutcome::failure("--beta: \"" + *o.beta +
                                      "\" is not a number greater than zero");
    return box::Sensor{box::BetaThermistor{r25.value(), *beta}};
}

// A resistance thermometer by name: the catalogue's or the profile's. A
// thermistor's table is pointed to the command that takes it.
SensorOutcome thermometerNamed(const Options &o, const std::vector<box::UserSensor> &user) {
    const std::string name = o.type.value_or(o.rtd.value_or("pt100"));
    const auto sensor = box::sensorNamed(name, user);
    if (sensor && isThermistor(sensor.value()))
        return SensorOutcome::failure(
            "\"" + name + "\" is a thermistor's table, not a resistance thermometer: use " +
            (o.command == Command::Rtd ? "ntc --type " : "--ntc --type ") + name);
    if (sensor) return sensor;
    return box::sensorNamed(name, thermometersOf(user));  // the names it takes
}

// ntc --type NAME: only a thermistor table of the profile.
SensorOutcome thermistorNamed(const std::string &name, const std::vector<box::UserSensor> &user) {
    const auto sensor = box::sensorNamed(name, user);
    if (sensor && isThermistor(sensor.value())) return sensor;
    const std::string what =
        sensor ? "\"" + name + "\" is a resistance thermometer: use rtd --type " + name
               : "no thermistor \"" + name + "\"";
    const std::vector<box::UserSensor> thermistors = thermistorsOf(user);
    if (thermistors.empty())
        return SensorOutcome::failure(what +
                                      "; --type names a thermistor table of the box's profile "
                                      "(kind = \"ntc\"), and it has none");
    std::string names;
    for (std::size_t i = 0; i < thermistors.size(); ++i)
        names += (i == 0                        ? ""
                  : i + 1 == thermistors.size() ? " or "
                                                : ", ") +
                 box::userSensorName(thermistors[i]);
    return SensorOutcome::failure(what + "; the profile's thermistors: " + names);
}

}  // namespace

bool isThermistor(const box::Sensor &sensor) {
    const auto *table = std::get_if<box::TableSensor>(&sensor);
    return std::holds_alternative<box::BetaThermistor>(sensor) ||
           std::holds_alternative<box::SteinhartThermistor>(sensor) ||
           (table && table->kind == box::TableKind::Ntc);
}

std::vector<box::UserSensor> thermometersOf(const std::vector<box::UserSensor> &userSensors) {
    std::vector<box::UserSensor> found;
    for (const box::UserSensor &sensor : userSensors)
        if (!isNtcTable(sensor)) found.push_back(sensor);
    return found;
}

std::vector<box::UserSensor> thermistorsOf(const std::vector<box::UserSensor> &userSensors) {
    std::vector<box::UserSensor> found;
    for (const box::UserSensor &sensor : userSensors)
        if (isNtcTable(sensor)) found.push_back(sensor);
    return found;
}

Outcome<ValueReading> sensorReading(const Options &o,
                                    const std::vector<box::UserSensor> &userSensors) {
    using Reading = Outcome<ValueReading>;
    if (const std::string two = twoSensors(o); !two.empty()) return Reading::failure(two);
    const bool thermistor =
        o.command == Command::Ntc || o.ntc || o.r25 || o.beta || o.steinhart.has_value();
    // A table without --ntc is a resistance thermometer's; a thermistor's
    // rows, falling, are refused as such.
    const bool thermometer =
        o.command == Command::Rtd || o.rtd || o.r0 || o.cvd || (o.table && !thermistor);
    if (thermistor && thermometer)
        return Reading::failure("give one sensor: a resistance thermometer or a thermistor");
    if (!thermistor && !thermometer) {
        if (o.type)
            return Reading::failure(
                "--type names the sensor of rtd and ntc; for values of a sensor give --rtd NAME, "
                "or --ntc --type NAME for a thermistor table");
        return ValueReading{};
    }

    SensorOutcome sensor = SensorOutcome::failure({});
    if (thermometer) {
        sensor = o.r0 || o.cvd ? platinumSensor(o)
                 : o.table     ? tableSensor(*o.table, box::TableKind::Rtd)
                               : thermometerNamed(o, userSensors);
    } else {
        sensor = o.steinhart ? automation::steinhartSensor(*o.steinhart)
                 : o.table   ? tableSensor(*o.table, box::TableKind::Ntc)
                 : o.type    ? thermistorNamed(*o.type, userSensors)
                             : betaThermistor(o);
    }
    if (!sensor) return Reading::failure(sensor.error());
    return ValueReading{sensor.value()};
}

}  // namespace zz::ctl
