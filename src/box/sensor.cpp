#include "box/sensor.h"

#include "box/temperature.h"
#include "box/thermistor.h"
#include "common/decimal_text.h"

#include <cmath>

namespace zz::box {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

Outcome<Sensor> sensorNamed(std::string_view name) {
    if (const SensorType *type = findSensorType(name)) return Sensor{CurveSensor{type}};
    return Outcome<Sensor>::failure("unknown sensor type \"" + std::string(name) + "\": use " +
                                    sensorTypeList(", ", " or "));
}

std::string sensorName(const Sensor &sensor) {
    return std::visit(
        Overloaded{
            [](const CurveSensor &s) { return std::string(s.type->label); },
            [](const BetaThermistor &s) {
                return "NTC R25 " + common::decimalText(s.r25) + " \u03A9 \u03B2 " +
                       common::decimalText(s.beta);
            },
            [](const SteinhartThermistor &) { return std::string("NTC Steinhart-Hart"); },
            [](const PlatinumSensor &s) { return s.name; },
        },
        sensor);
}

Outcome<double> sensorResistance(const Sensor &sensor, double celsius) {
    const std::string at = sensorName(sensor) + " at " + common::decimalText(celsius) + " \u00B0C";
    if (const auto *curve = std::get_if<CurveSensor>(&sensor)) {
        const SensorType &type = *curve->type;
        if (!(celsius >= type.minC && celsius <= type.maxC))
            return Outcome<double>::failure(at + ": outside the sensor's range " +
                                            common::decimalText(type.minC) + " to " +
                                            common::decimalText(type.maxC) + " \u00B0C");
        return type.resistance(celsius);
    }
    if (const auto *platinum = std::get_if<PlatinumSensor>(&sensor)) {
        if (!(celsius >= platinum_rtd::kMinC && celsius <= platinum_rtd::kMaxC))
            return Outcome<double>::failure(at + ": outside the sensor's range " +
                                            common::decimalText(platinum_rtd::kMinC) + " to " +
                                            common::decimalText(platinum_rtd::kMaxC) + " \u00B0C");
        return platinum_rtd::resistance(platinum->r0, platinum->k, celsius);
    }
    if (!(celsius > kAbsoluteZeroC))
        return Outcome<double>::failure(at + ": not above absolute zero");
    std::optional<double> ohms;
    if (const auto *beta = std::get_if<BetaThermistor>(&sensor))
        ohms = thermistor::betaResistance(beta->r25, beta->beta, celsius);
    else if (const auto *sh = std::get_if<SteinhartThermistor>(&sensor))
        ohms = thermistor::steinhartResistance(sh->a, sh->b, sh->c, celsius);
    if (!ohms || !std::isfinite(*ohms) || *ohms < 0)
        return Outcome<double>::failure(at + ": the model gives no resistance");
    return *ohms;
}

}  // namespace zz::box
