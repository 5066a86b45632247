#include "automation/temperature_text.h"

#include "box/temperature.h"
#include "common/decimal_text.h"

#include <optional>
#include <string>

namespace zz::automation {

namespace {

using Scale = box::TemperatureUnit;

struct Reading {
    double number;
    Scale scale;
};

std::optional<Reading> readWithScale(std::string_view text) {
    const auto number = common::scanDecimal(text);
    if (!number) return std::nullopt;
    std::string_view unit = common::trimBlanks(text.substr(number->length));
    if (unit.substr(0, 2) == "\u00B0") unit.remove_prefix(2);  // the degree sign
    if (unit.empty() || unit == "C") return Reading{number->value, Scale::Celsius};
    if (unit == "F") return Reading{number->value, Scale::Fahrenheit};
    if (unit == "K" && text.find("\u00B0") == text.npos)
        return Reading{number->value, Scale::Kelvin};
    return std::nullopt;
}

}  // namespace

Outcome<double> readTemperature(std::string_view text) {
    text = common::trimBlanks(text);
    const auto reading = readWithScale(text);
    if (!reading)
        return Outcome<double>::failure("cannot read \"" + std::string(text) +
                                        "\" as a temperature (for example 25, 25C, 77F, 298.15K)");
    const double celsius = box::toCelsius(reading->number, reading->scale);
    // A hair below from rounding ("-459.67F") is absolute zero itself.
    if (celsius < box::kAbsoluteZeroC - 1e-9)
        return Outcome<double>::failure("temperature \"" + std::string(text) +
                                        "\" is below absolute zero");
    return celsius;
}

Outcome<double> readTemperatureStep(std::string_view text) {
    text = common::trimBlanks(text);
    const auto reading = readWithScale(text);
    if (!reading || !(reading->number > 0))
        return Outcome<double>::failure("cannot read \"" + std::string(text) +
                                        "\" as a temperature step greater than zero "
                                        "(for example 5, 5K, 9F)");
    return box::toKelvinStep(reading->number, reading->scale);
}

}  // namespace zz::automation
