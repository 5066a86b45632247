#include "automation/setpoint.h"

#include "automation/resistance_text.h"
#include "automation/temperature_text.h"
#include "box/ohms_command.h"
#include "box/range.h"
#include "common/decimal_text.h"

namespace zz::automation {

Outcome<Setpoint> setpointForOhms(double ohms) {
    Outcome<std::string> command = box::ohmsCommand(ohms);
    if (command) return Setpoint{std::move(command.value()), ohms, std::nullopt, std::nullopt};
    if (command.status().number() == box::TooLow)
        return Outcome<Setpoint>::failure(common::decimalText(ohms) + " \u03A9 is below " +
                                          box::limitText(box::kMinOhms) + " \u03A9");
    return Outcome<Setpoint>::failure(common::decimalText(ohms) + " \u03A9 is above " +
                                      box::limitText(box::kMaxOhms) +
                                      " \u03A9, the most the box sets");
}

Outcome<Setpoint> setpointForTemperature(const box::Sensor &sensor, double celsius) {
    const auto ohms = box::sensorResistance(sensor, celsius);
    if (!ohms) return Outcome<Setpoint>::failure(ohms.error());
    auto point = setpointForOhms(ohms.value());
    if (!point)
        return Outcome<Setpoint>::failure(box::sensorName(sensor) + " at " +
                                          common::decimalText(celsius) +
                                          " \u00B0C: " + point.error());
    point.value().celsius = celsius;
    return point;
}

Outcome<double> ValueReading::readValue(std::string_view text) const {
    return sensor ? readTemperature(text) : readResistance(text);
}

Outcome<Setpoint> ValueReading::setpoint(double value) const {
    return sensor ? setpointForTemperature(*sensor, value) : setpointForOhms(value);
}

Outcome<Setpoint> ValueReading::readSetpoint(std::string_view text) const {
    const auto value = readValue(text);
    if (!value) return Outcome<Setpoint>::failure(value.error());
    return setpoint(value.value());
}

}  // namespace zz::automation
