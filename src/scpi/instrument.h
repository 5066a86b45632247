#pragma once
// The box as every connection sees it: the link that sets it, the value last
// sent to it, the settings of the sensor it stands in for, and the box's
// profile, which decides what may be sent at all. One instance is shared by
// all connections, as an instrument's settings are.

#include "automation/setpoint.h"
#include "box/sensor.h"
#include "box/temperature.h"
#include "common/status.h"
#include "profile/box_rules.h"

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace zz::scpi {

// The way to the box. The box cannot be read back: what it holds is known
// only from the commands that reached it.
class BoxLink {
public:
    virtual ~BoxLink() = default;
    // Sends one command text ("01234.5"); the link's reason on failure.
    virtual Status send(std::string_view command) = 0;
    // The command that last reached the box whole, sent by whichever of our
    // programs; nothing when unknown.
    virtual std::optional<std::string> lastCommand() const = 0;
};

inline constexpr double kDefaultR25 = 10000.0;
inline constexpr double kDefaultBeta = 3950.0;

class Instrument {
public:
    explicit Instrument(BoxLink &link) : link_(link) {}

    // The box's profile as last read; on the thread that carries out the
    // settings (the serial link's).
    void setRules(profile::BoxRules rules);
    const profile::BoxRules &rules() const { return rules_; }
    // The profile's serial number ("0" without one), for *IDN?, which is
    // answered on any thread.
    std::string serialNumber() const;

    // Sends the digits for `ohms` (a sensor's resistance when `celsius` is
    // given: the lead offset comes off) as the profile and the mode allow.
    // A refusal sends nothing; its number is the SCPI error: -200 the profile
    // is refused, -221 true values without a table, -222 outside the limits
    // (or the box's range); -240 is the link's failure.
    Status set(double ohms, std::optional<double> celsius = std::nullopt);
    // The settings back to theirs (nominal values), then the command the
    // panel sends at start, when the profile's limits allow it.
    Status reset();

    // The value last sent whole, read from its command text.
    std::optional<double> lastOhms() const;
    // What the box presents for that command by the profile's table.
    std::optional<double> lastTrueOhms() const;
    // The temperature of that command, while the box still holds it.
    std::optional<double> lastCelsius() const;
    // While send() is on the line: the temperature of the setpoint going out,
    // for whoever watches the link's commands.
    std::optional<double> celsiusGoingOut() const { return goingOut_; }

    // A row of the sensor catalogue; nothing for the thermistor of r25 and beta.
    const box::SensorType *curve = defaultCurve();
    // A sensor of the box's profile, chosen by its name; it stands before
    // `curve` (a copy: a profile read again keeps the choice until the next).
    std::optional<box::UserSensor> userSensor;
    // The profile's sensor of that name (any case), if it has one.
    std::optional<box::UserSensor> userSensorNamed(std::string_view name) const;
    double r25 = kDefaultR25;
    double beta = kDefaultBeta;
    box::TemperatureUnit unit = box::TemperatureUnit::Celsius;
    profile::SetMode mode = profile::SetMode::Nominal;

    static const box::SensorType *defaultCurve() { return &box::sensorTypes().front(); }

    box::Sensor sensor() const;
    // The temperatures whose resistance the box can present with this
    // sensor, inside the profile's limits; NaN when none is.
    double minCelsius() const;
    double maxCelsius() const;

private:
    Status send(const automation::Setpoint &point);
    std::pair<double, double> celsiusRange() const;

    BoxLink &link_;
    profile::BoxRules rules_;
    mutable std::mutex serialMutex_;  // *IDN? reads it beside the link's work
    std::string serial_ = "0";
    std::string temperatureCommand_;  // the command lastCelsius_ belongs to
    double lastCelsius_ = 0.0;
    std::optional<double> goingOut_;
};

}  // namespace zz::scpi
