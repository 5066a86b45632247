#include "box/sensor.h"

#include "box/temperature.h"
#include "box/thermistor.h"
#include "common/decimal_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace zz::box {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

bool sameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

Sensor toSensor(const UserSensor &sensor) {
    return std::visit([](const auto &s) { return Sensor{s}; }, sensor);
}

const std::string &userSensorName(const UserSensor &sensor) {
    return std::visit([](const auto &s) -> const std::string & { return s.name; }, sensor);
}

Outcome<Sensor> sensorNamed(std::string_view name, std::span<const UserSensor> user) {
    if (const SensorType *type = findSensorType(name)) return Sensor{CurveSensor{type}};
    for (const UserSensor &sensor : user)
        if (sameLetters(userSensorName(sensor), name)) return toSensor(sensor);
    return Outcome<Sensor>::failure("unknown sensor type \"" + std::string(name) + "\": use " +
                                    sensorNameList(user, ", ", " or "));
}

bool builtInSensorName(std::string_view name) {
    return findSensorType(name) != nullptr || sameLetters(name, "ntc");
}

std::vector<std::string> sensorNames(std::span<const UserSensor> user) {
    std::vector<std::string> names;
    for (const SensorType &type : sensorTypes()) names.emplace_back(type.name);
    for (const UserSensor &sensor : user) names.push_back(userSensorName(sensor));
    return names;
}

std::string sensorNameList(std::span<const UserSensor> user, std::string_view separator,
                           std::string_view lastSeparator) {
    const std::vector<std::string> names = sensorNames(user);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? lastSeparator : separator;
        text += names[i];
    }
    return text;
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
            [](const TableSensor &s) { return s.name; },
        },
        sensor);
}

std::optional<TemperatureSpan> sensorSpan(const Sensor &sensor) {
    if (const auto *curve = std::get_if<CurveSensor>(&sensor))
        return TemperatureSpan{curve->type->minC, curve->type->maxC};
    if (std::holds_alternative<PlatinumSensor>(sensor))
        return TemperatureSpan{platinum_rtd::kMinC, platinum_rtd::kMaxC};
    if (const auto *table = std::get_if<TableSensor>(&sensor))
        return TemperatureSpan{table->rows.front().celsius, table->rows.back().celsius};
    return std::nullopt;
}

Outcome<double> sensorResistance(const Sensor &sensor, double celsius) {
    const std::string at = sensorName(sensor) + " at " + common::decimalText(celsius) + " \u00B0C";
    if (const auto span = sensorSpan(sensor)) {
        if (!(celsius >= span->minC && celsius <= span->maxC))
            return Outcome<double>::failure(at + ": outside the sensor's range " +
                                            common::decimalText(span->minC) + " to " +
                                            common::decimalText(span->maxC) + " \u00B0C");
        if (const auto *curve = std::get_if<CurveSensor>(&sensor))
            return curve->type->resistance(celsius);
        if (const auto *platinum = std::get_if<PlatinumSensor>(&sensor))
            return platinum_rtd::resistance(platinum->r0, platinum->k, celsius);
        return tableResistance(std::get<TableSensor>(sensor), celsius);
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
