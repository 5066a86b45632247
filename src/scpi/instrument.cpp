#include "scpi/instrument.h"

#include "box/ohms_command.h"
#include "box/range.h"
#include "scpi/error_queue.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace zz::scpi {

namespace {

constexpr double kKelvinAt0C = -box::kAbsoluteZeroC;
constexpr double kT25 = 25.0 + kKelvinAt0C;
// A thermistor model holds far beyond any real part; MAX stops here.
constexpr double kThermistorMaxC = 1000.0;
constexpr double kNoTemperature = std::numeric_limits<double>::quiet_NaN();

// The temperature at which the thermistor presents `ohms`, in °C.
double thermistorCelsius(double r25, double beta, double ohms) {
    const double inverse = 1.0 / kT25 + std::log(ohms / r25) / beta;
    if (!(inverse > 0.0)) return kThermistorMaxC;
    return std::min(1.0 / inverse - kKelvinAt0C, kThermistorMaxC);
}

double resistanceAt(const box::Sensor &sensor, double celsius) {
    const auto ohms = box::sensorResistance(sensor, celsius);
    return ohms ? ohms.value() : kNoTemperature;
}

// Where between `cold` and `warm` the sensor presents `ohms`; its
// resistance changes one way only, so halving the interval finds it.
double celsiusAt(const box::Sensor &sensor, double ohms, double cold, double warm) {
    const bool rising = resistanceAt(sensor, warm) > resistanceAt(sensor, cold);
    for (int i = 0; i < 100; ++i) {
        const double middle = (cold + warm) / 2;
        if ((resistanceAt(sensor, middle) < ohms) == rising)
            cold = middle;
        else
            warm = middle;
    }
    return (cold + warm) / 2;
}

Status refused(int code, std::string text) {
    return Status::failure(code, std::move(text));
}

}  // namespace

void Instrument::setRules(profile::BoxRules rules) {
    rules_ = std::move(rules);
    // The sensor chosen by name follows the profile as read now; gone from
    // it, temperatures are refused until another is chosen.
    if (userSensor) {
        const std::string name = box::userSensorName(*userSensor);
        if (auto now = userSensorNamed(name)) {
            userSensor = std::move(now);
            missingSensor_.clear();
        } else {
            missingSensor_ = name;
        }
    }
    std::string serial = rules_.serialOrZero();
    // The four fields of *IDN? stay four, and the answer one line.
    for (char &c : serial)
        if (c == ',' || c == ';' || static_cast<unsigned char>(c) < ' ') c = ' ';
    const std::lock_guard lock(serialMutex_);
    serial_ = std::move(serial);
}

std::string Instrument::serialNumber() const {
    const std::lock_guard lock(serialMutex_);
    return serial_;
}

Status Instrument::refusal(double ohms, bool sensorValue, bool wholeChange) const {
    if (const Status usable = rules_.usable(); !usable)
        return refused(error::kExecution, usable.text());
    if (mode == profile::SetMode::True && !rules_.hasTable())
        return refused(error::kSettingsConflict,
                       "true values need a correction table ([table]) in the box's profile");
    const auto prepared =
        rules_.prepare(ohms, sensorValue, mode, wholeChange ? lastOhms() : std::nullopt);
    // Without a profile only the box's own range refuses: the bare error, as ever.
    if (!prepared) return refused(error::kDataOutOfRange, rules_.profile() ? prepared.error() : "");
    return {};
}

Status Instrument::sensorUsable() const {
    if (!userSensor || missingSensor_.empty()) return {};
    return refused(error::kSettingsConflict,
                   "the sensor " + missingSensor_ +
                       " is no longer in the box's profile: choose one with TEMPerature:SENSor");
}

void Instrument::chooseUserSensor(std::optional<box::UserSensor> sensor) {
    userSensor = std::move(sensor);
    missingSensor_.clear();
}

Status Instrument::set(double ohms, std::optional<double> celsius, bool sensorValue) {
    sensorValue = sensorValue || celsius.has_value();
    if (const Status refusing = refusal(ohms, sensorValue); !refusing) return refusing;
    const auto prepared = rules_.prepare(ohms, sensorValue, mode, lastOhms());
    stopRun();  // refused, the setting changes nothing; sent, it takes over
    return send({prepared.value().command, ohms, celsius, prepared.value().trueOhms});
}

Status Instrument::send(const automation::Setpoint &point) {
    goingOut_ = point.celsius;
    const Status status = link_.send(point.command);
    goingOut_.reset();
    if (!status) return refused(error::kHardware, status.text());
    if (point.celsius) {
        temperatureCommand_ = point.command;
        lastCelsius_ = *point.celsius;
    }
    return {};
}

Status Instrument::reset() {
    stopRun();
    temperatureSlew.reset();
    resistanceSlew.reset();
    curve = defaultCurve();
    chooseUserSensor(std::nullopt);
    r25 = kDefaultR25;
    beta = kDefaultBeta;
    unit = box::TemperatureUnit::Celsius;
    mode = profile::SetMode::Nominal;
    if (const Status usable = rules_.usable(); !usable)
        return refused(error::kExecution, usable.text());
    if (const Status allowed = rules_.checkCommand(box::kStartCommand, lastOhms()); !allowed)
        return refused(error::kDataOutOfRange,
                       std::string(box::kStartCommand) + ": " + allowed.text());
    if (const Status sent = link_.send(box::kStartCommand); !sent)
        return refused(error::kHardware, sent.text());
    return {};
}

std::optional<double> Instrument::lastOhms() const {
    const auto command = link_.lastCommand();
    if (!command) return std::nullopt;
    return box::commandOhms(*command);
}

std::optional<double> Instrument::lastTrueOhms() const {
    const auto command = link_.lastCommand();
    if (!command) return std::nullopt;
    return rules_.trueOhms(*command);
}

std::optional<double> Instrument::lastCelsius() const {
    if (temperatureCommand_.empty() || link_.lastCommand() != temperatureCommand_)
        return std::nullopt;
    return lastCelsius_;
}

std::optional<box::UserSensor> Instrument::userSensorNamed(std::string_view name) const {
    const auto &profile = rules_.profile();
    if (!profile) return std::nullopt;
    const auto same = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::toupper(static_cast<unsigned char>(x)) ==
                          std::toupper(static_cast<unsigned char>(y));
               });
    };
    for (const auto &user : profile->sensors)
        if (same(box::userSensorName(user), name)) return user;
    return std::nullopt;
}

box::Sensor Instrument::sensor() const {
    if (userSensor) return box::toSensor(*userSensor);
    if (curve) return box::CurveSensor{curve};
    return box::BetaThermistor{r25, beta};
}

// A thermistor's resistance falls as it warms: its coldest is where it
// reaches the top of the box's range, its warmest where it comes down to
// 0.1 Ω. A profile narrows that to the temperatures whose resistance, less
// the lead offset, lies inside its limits.
std::pair<double, double> Instrument::celsiusRange() const {
    const box::Sensor s = sensor();
    double cold = curve ? curve->minC : thermistorCelsius(r25, beta, box::kMaxOhms);
    double warm = curve ? curve->maxC : thermistorCelsius(r25, beta, box::kResolutionOhms);
    if (userSensor) {
        const auto span = box::sensorSpan(s);
        cold = span->minC;
        warm = span->maxC;
    }
    const auto &profile = rules_.profile();
    if (!profile) return {cold, warm};
    const double lowest = rules_.minOhms() + profile->leadOffsetOhms;
    const double highest = rules_.maxOhms() + profile->leadOffsetOhms;
    const double atCold = resistanceAt(s, cold), atWarm = resistanceAt(s, warm);
    const bool rising = atWarm > atCold;
    const double least = std::min(atCold, atWarm), most = std::max(atCold, atWarm);
    if (!(most >= lowest && least <= highest)) return {kNoTemperature, kNoTemperature};
    const double low = least < lowest ? celsiusAt(s, lowest, cold, warm) : (rising ? cold : warm);
    const double high = most > highest ? celsiusAt(s, highest, cold, warm) : (rising ? warm : cold);
    return rising ? std::pair(low, high) : std::pair(high, low);
}

double Instrument::minCelsius() const {
    return celsiusRange().first;
}

double Instrument::maxCelsius() const {
    return celsiusRange().second;
}

}  // namespace zz::scpi
