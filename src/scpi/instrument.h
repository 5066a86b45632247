#pragma once
// The box as every connection sees it: the link that sets it, the value last
// sent to it, the settings of the sensor it stands in for, and the box's
// profile, which decides what may be sent at all. One instance is shared by
// all connections, as an instrument's settings are.

#include "automation/program_plan.h"
#include "automation/setpoint.h"
#include "box/sensor.h"
#include "box/temperature.h"
#include "common/status.h"
#include "profile/box_rules.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// What a run moves: a sensor's temperature, or a resistance.
enum class RunKind { TemperatureSlew, ResistanceSlew, Program };

// A run longer than this is refused whole, as 6175ZIZ-ctl refuses a program.
inline constexpr std::size_t kMostRunCommands = 2'000'000;

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
    // (or the box's range); -240 is the link's failure. A run going on stops:
    // the new setting takes over.
    // A sensor's value without a temperature (a burnout value) has
    // `sensorValue` set: the lead offset comes off it too.
    Status set(double ohms, std::optional<double> celsius = std::nullopt, bool sensorValue = false);
    // A setting of TEMP or RES: at once, or with a finite slew a ramp from
    // where the box is (where a ramp going on has got to) that returns at
    // once. The whole ramp is checked before its first command.
    Status setTemperature(double celsius);
    Status setResistance(double ohms);
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
    // A sensor of the box's profile, chosen by its name (chooseUserSensor);
    // it stands before `curve`. A profile read again brings its new
    // coefficients or rows; one without it refuses temperatures.
    std::optional<box::UserSensor> userSensor;
    void chooseUserSensor(std::optional<box::UserSensor> sensor);
    // Refused (-221) while the chosen sensor is gone from the profile.
    Status sensorUsable() const;
    // The profile's sensor of that name (any case), if it has one.
    std::optional<box::UserSensor> userSensorNamed(std::string_view name) const;
    double r25 = kDefaultR25;
    double beta = kDefaultBeta;
    box::TemperatureUnit unit = box::TemperatureUnit::Celsius;
    profile::SetMode mode = profile::SetMode::Nominal;

    // ---- runs, on the link's thread: slews and programs on the server's
    // own timetable; the server calls advance() when nextDue() comes.
    using Clock = std::chrono::steady_clock;
    std::function<Clock::time_point()> clock = [] { return Clock::now(); };
    automation::Spacing runSpacing{std::chrono::milliseconds(17), std::chrono::seconds(1)};
    std::optional<double> temperatureSlew;       // K a second; nothing: at once
    std::optional<double> resistanceSlew;        // ohms a second
    std::optional<automation::Program> program;  // PROGram:DEFine's, checked
    // Told on the link's thread when a run starts, so its timer is armed.
    std::function<void()> runStarted;

    // Checks the program's targets against the sensor and the limits, and
    // keeps it for runProgram() (which checks them again, as they stand then).
    Status loadProgram(automation::Program loaded);
    Status runProgram();
    // Stops a run where it is; whoever waits for the settling is told.
    void stopRun();
    bool running() const { return run_.has_value(); }
    std::optional<RunKind> runKind() const;
    const automation::ProgramProgress *runProgress() const;
    // A slew's target resistance (a sensor's, its lead offset off).
    std::optional<double> slewTargetOhms() const;
    // From now to the run's end; nothing when none goes on.
    std::optional<std::chrono::nanoseconds> runTimeLeft() const;
    // Sends every command of the run due by now; the time the next is due,
    // or nothing once the run has ended (or failed: runFailure() says why).
    std::optional<Clock::time_point> advance();
    std::optional<Clock::time_point> nextDue() const;
    const std::string &runFailure() const { return runFailure_; }
    // `settled` runs once no run goes on: at once, or when it ends or stops.
    void whenSettled(std::function<void()> settled);

    static const box::SensorType *defaultCurve() { return &box::sensorTypes().front(); }

    box::Sensor sensor() const;
    // The temperatures whose resistance the box can present with this
    // sensor, inside the profile's limits; NaN when none is.
    double minCelsius() const;
    double maxCelsius() const;

private:
    struct Run {
        RunKind kind;
        automation::ProgramPlan plan;
        Clock::time_point start;
        std::optional<automation::DueSetpoint> next;  // nothing: the run has ended
        // Where the run stands at the command last sent (the plan is one
        // ahead of it): the value a new slew starts from, and what is shown.
        automation::ProgramProgress shown;
        bool first = true;
        // A slew's target as sent: TEMP? answers its temperature at the end,
        // not that of the moment the last command's digits were reached.
        std::optional<automation::Setpoint> target;
        std::optional<Clock::time_point> lastSent;  // of the run's last command
    };

    Status send(const automation::Setpoint &point);
    // Why set() would refuse this value; nothing sent either way. A slew's
    // target is not held to the largest change a command may make: its
    // commands are, one by one.
    Status refusal(double ohms, bool sensorValue, bool wholeChange = true) const;
    automation::SetpointMaker setpointMaker(const automation::ValueReading &reading) const;
    Status startRun(RunKind kind, automation::Program program);
    std::optional<double> runValueNow(RunKind kind) const;
    void endRun();
    std::pair<double, double> celsiusRange() const;

    BoxLink &link_;
    profile::BoxRules rules_;
    mutable std::mutex serialMutex_;  // *IDN? reads it beside the link's work
    std::string serial_ = "0";
    std::string missingSensor_;       // the chosen sensor's name, gone from the profile
    std::string temperatureCommand_;  // the command lastCelsius_ belongs to
    double lastCelsius_ = 0.0;
    std::optional<double> goingOut_;
    std::optional<Run> run_;
    std::string runFailure_;
    std::vector<std::function<void()>> settledWaiters_;
};

}  // namespace zz::scpi
