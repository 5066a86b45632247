#include "scpi/instrument.h"

#include "box/ohms_command.h"
#include "box/range.h"

#include <cmath>

namespace zz::scpi {

namespace {

constexpr double kKelvinAt0C = -box::kAbsoluteZeroC;
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

Status Instrument::send(const automation::Setpoint &point) {
    goingOut_ = point.celsius;
    const Status status = link_.send(point.command);
    goingOut_.reset();
    if (status && point.celsius) {
        temperatureCommand_ = point.command;
        lastCelsius_ = *point.celsius;
    }
    return status;
}

Status Instrument::reset() {
    curve = defaultCurve();
    r25 = kDefaultR25;
    beta = kDefaultBeta;
    unit = box::TemperatureUnit::Celsius;
    return link_.send(box::kStartCommand);
}

std::optional<double> Instrument::lastOhms() const {
    const auto command = link_.lastCommand();
    if (!command) return std::nullopt;
    return box::commandOhms(*command);
}

std::optional<double> Instrument::lastCelsius() const {
    if (temperatureCommand_.empty() || link_.lastCommand() != temperatureCommand_)
        return std::nullopt;
    return lastCelsius_;
}

box::Sensor Instrument::sensor() const {
    if (curve) return box::CurveSensor{curve};
    return box::BetaThermistor{r25, beta};
}

// A thermistor's resistance falls as it warms: MIN is where it reaches the
// top of the box's range, MAX where it comes down to 0.1 Ω.
double Instrument::minCelsius() const {
    if (curve) return curve->minC;
    return thermistorCelsius(r25, beta, box::kMaxOhms);
}

double Instrument::maxCelsius() const {
    if (curve) return curve->maxC;
    return thermistorCelsius(r25, beta, box::kResolutionOhms);
}

}  // namespace zz::scpi
