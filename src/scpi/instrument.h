#pragma once
// The box as every connection sees it: the link that sets it, the value last
// sent to it, and the settings of the sensor it stands in for. One instance
// is shared by all connections, as an instrument's settings are.

#include "automation/setpoint.h"
#include "box/sensor.h"
#include "box/temperature.h"
#include "common/status.h"

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

    // Sends the setpoint's command; a temperature it carries is remembered.
    Status send(const automation::Setpoint &point);
    // The command the panel sends at start, and the settings back to theirs.
    Status reset();

    // The value last sent whole, read from its command text.
    std::optional<double> lastOhms() const;
    // The temperature of that command, while the box still holds it.
    std::optional<double> lastCelsius() const;
    // While send() is on the line: the temperature of the setpoint going out,
    // for whoever watches the link's commands.
    std::optional<double> celsiusGoingOut() const { return goingOut_; }

    // A row of the sensor catalogue; nothing for the thermistor of r25 and beta.
    const box::SensorType *curve = defaultCurve();
    double r25 = kDefaultR25;
    double beta = kDefaultBeta;
    box::TemperatureUnit unit = box::TemperatureUnit::Celsius;

    static const box::SensorType *defaultCurve() { return &box::sensorTypes().front(); }

    box::Sensor sensor() const;
    // The temperatures whose resistance the box can present with this sensor.
    double minCelsius() const;
    double maxCelsius() const;

private:
    BoxLink &link_;
    std::string temperatureCommand_;  // the command lastCelsius_ belongs to
    double lastCelsius_ = 0.0;
    std::optional<double> goingOut_;
};

}  // namespace zz::scpi
