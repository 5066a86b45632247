#include "automation/setpoint.h"

#include "automation/decimal_text.h"
#include "automation/resistance_text.h"
#include "automation/temperature_text.h"
#include "common/ohms_command.h"

namespace zz::automation {

Outcome<Setpoint> setpointForOhms(double ohms) {
    OhmsCommand decided = ohmsCommand(ohms);
    switch (decided.kind) {
        case OhmsCommand::Kind::Accept:
            break;
        case OhmsCommand::Kind::TooLow:
            return Outcome<Setpoint>::failure(decimalText(ohms) + " \u03A9 is below 0.0 \u03A9");
        case OhmsCommand::Kind::TooHigh:
            return Outcome<Setpoint>::failure(
                decimalText(ohms) + " \u03A9 is above 99999.9 \u03A9, the most the box sets");
    }
    return Setpoint{std::move(decided.command), ohms, std::nullopt};
}

Outcome<Setpoint> setpointForTemperature(const Sensor &sensor, double celsius) {
    const auto ohms = sensorResistance(sensor, celsius);
    if (!ohms) return Outcome<Setpoint>::failure(ohms.error());
    auto point = setpointForOhms(ohms.value());
    if (!point)
        return Outcome<Setpoint>::failure(sensorName(sensor) + " at " + decimalText(celsius) +
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
