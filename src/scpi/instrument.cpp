#include "scpi/instrument.h"

#include "automation/rtd.h"
#include "automation/temperature_text.h"
#include "common/ohms_command.h"
#include "panel/model/panel_texts.h"

#include <charconv>
#include <cmath>

namespace zz::scpi {

namespace {

constexpr double kKelvinAt0C = -automation::kAbsoluteZeroC;
constexpr double kT25 = 25.0 + kKelvinAt0C;
// A thermistor model holds far beyond any real part; MAX stops here.
constexpr double kThermistorMaxC = 1000.0;

// The temperature at which the thermistor presents `ohms`, in °C.
double thermistorCelsius(double r25, double beta, double ohms) {
    const double inverse = 1.0 / kT25 + std::log(ohms / r25) / beta;
    if (!(inverse > 0.0)) return kThermistorMaxC;
    return std::min(1.0 / inverse - kKelvinAt0C, kThermistorMaxC);
}

}  // namespace

double toCelsius(double value, TemperatureUnit unit) {
    switch (unit) {
        case TemperatureUnit::Fahrenheit:
            return (value - 32.0) * 5.0 / 9.0;
        case TemperatureUnit::Kelvin:
            return value - kKelvinAt0C;
        case TemperatureUnit::Celsius:
            break;
    }
    return value;
}

double fromCelsius(double celsius, TemperatureUnit unit) {
    switch (unit) {
        case TemperatureUnit::Fahrenheit:
            return celsius * 9.0 / 5.0 + 32.0;
        case TemperatureUnit::Kelvin:
            return celsius + kKelvinAt0C;
        case TemperatureUnit::Celsius:
            break;
    }
    return celsius;
}

Status Instrument::send(const automation::Setpoint &point) {
    const Status status = link_.send(point.command);
    if (status && point.celsius) {
        temperatureCommand_ = point.command;
        lastCelsius_ = *point.celsius;
    }
    return status;
}

Status Instrument::reset() {
    sensorKind = SensorKind::Pt100;
    r25 = kDefaultR25;
    beta = kDefaultBeta;
    unit = TemperatureUnit::Celsius;
    return link_.send(panel_text::kStartCommand);
}

std::optional<double> Instrument::lastOhms() const {
    const auto command = link_.lastCommand();
    if (!command || command->empty()) return std::nullopt;
    double ohms = 0.0;
    const char *end = command->data() + command->size();
    const auto [stop, ec] = std::from_chars(command->data(), end, ohms, std::chars_format::fixed);
    if (ec != std::errc{} || stop != end || !(ohms >= 0.0 && ohms <= kMaxOhms)) return std::nullopt;
    return ohms;
}

std::optional<double> Instrument::lastCelsius() const {
    if (temperatureCommand_.empty() || link_.lastCommand() != temperatureCommand_)
        return std::nullopt;
    return lastCelsius_;
}

automation::Sensor Instrument::sensor() const {
    switch (sensorKind) {
        case SensorKind::Pt500:
            return automation::PlatinumSensor{500.0};
        case SensorKind::Pt1000:
            return automation::PlatinumSensor{1000.0};
        case SensorKind::Ntc:
            return automation::BetaThermistor{r25, beta};
        case SensorKind::Pt100:
            break;
    }
    return automation::PlatinumSensor{100.0};
}

// A thermistor's resistance falls as it warms: MIN is where it reaches the
// top of the box's range, MAX where it comes down to 0.1 Ω.
double Instrument::minCelsius() const {
    if (sensorKind != SensorKind::Ntc) return automation::rtd::kMinC;
    return thermistorCelsius(r25, beta, kMaxOhms);
}

double Instrument::maxCelsius() const {
    if (sensorKind != SensorKind::Ntc) return automation::rtd::kMaxC;
    return thermistorCelsius(r25, beta, 0.1);
}

}  // namespace zz::scpi
