#include "help_text.h"

#include "box/range.h"
#include "program/version_banner.h"
#include "sensor_options.h"

namespace zz::ctl {

namespace {

constexpr std::size_t kWidth = 80;
constexpr std::size_t kUsageIndent = 32;   // the usage lines' continuations
constexpr std::size_t kOptionIndent = 24;  // the options' descriptions

// `text` from `column` on, broken at blanks and after '|' so that no line
// passes kWidth, its further lines indented by `indent`. A profile's sensor
// names, up to 32 characters each, make these lines as long as they are.
std::string wrapped(const std::string &text, std::size_t column, std::size_t indent) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        // A piece: up to a blank (taken with it) or up to and with a '|'.
        const std::size_t end = std::min(text.find(' ', start), text.find('|', start));
        const std::size_t next = end == text.npos ? text.size() : end + 1;
        const std::string piece = text.substr(start, next - start);
        const std::size_t visible = piece.back() == ' ' ? piece.size() - 1 : piece.size();
        if (!out.empty() && out.back() != '\n' && column + visible > kWidth) {
            if (out.back() == ' ') out.pop_back();
            out += "\n" + std::string(indent, ' ');
            column = indent;
        }
        out += piece;
        column += piece.size();
        start = next;
    }
    return out;
}

std::string joined(const std::vector<std::string> &names, const std::string &separator,
                   const std::string &last) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? last : separator) + names[i];
    return text;
}

std::vector<std::string> namesOf(const std::vector<box::UserSensor> &sensors) {
    std::vector<std::string> names;
    for (const box::UserSensor &sensor : sensors) names.push_back(box::userSensorName(sensor));
    return names;
}

}  // namespace

std::string helpText(const std::vector<box::UserSensor> &userSensors) {
    // The catalogue's names first, then the profile's own of each kind.
    const std::vector<box::UserSensor> ownThermometers = thermometersOf(userSensors);
    const std::vector<std::string> thermometers = box::sensorNames(ownThermometers);
    const std::vector<std::string> thermistors = namesOf(thermistorsOf(userSensors));
    const std::string usageIndent(kUsageIndent, ' ');
    const std::string rtdUsage =
        usageIndent + "[--type " +
        wrapped(joined(thermometers, "|", "|"), kUsageIndent + 8, kUsageIndent + 1) + "\n" +
        usageIndent + " | --r0 R --cvd A,B[,C] | --table FILE]";
    const std::string ntcUsage =
        usageIndent + "(--r25 R --beta B | --steinhart A,B,C\n" + usageIndent +
        wrapped(" | --table FILE | --type " +
                    (thermistors.empty() ? std::string("NAME") : joined(thermistors, "|", "|")) +
                    ")",
                kUsageIndent, kUsageIndent + 1);
    const std::string rtdOption =
        wrapped("the values are temperatures of a resistance thermometer (" +
                    joined(thermometers, ", ", ", ") + "; or --r0 and --cvd, or --table FILE)",
                kOptionIndent, kOptionIndent);
    const std::string typeOption = wrapped(
        "rtd: " + joined(thermometers, ", ", " or ") +
            (ownThermometers.empty() ? ", or a sensor of the box's profile by its name" : "") +
            " (pt100 if not given); ntc, --ntc: a thermistor table of the box's profile" +
            (thermistors.empty() ? "" : " (" + joined(thermistors, ", ", " or ") + ")"),
        kOptionIndent, kOptionIndent);
    return R"(Usage: 6175ZIZ-ctl [OPTION]... set VALUE
  or:  6175ZIZ-ctl [OPTION]... sweep FROM TO
                                (--step STEP | --points-per-decade N)
                                [--dwell TIME] [--repeat N]
  or:  6175ZIZ-ctl [OPTION]... list FILE|-
  or:  6175ZIZ-ctl [OPTION]... program FILE|- [--max-interval TIME]
  or:  6175ZIZ-ctl [OPTION]... rtd (TEMP | --burnout low|high)
)" + rtdUsage +
           R"(
  or:  6175ZIZ-ctl [OPTION]... ntc (TEMP | --burnout low|high)
)" + ntcUsage +
           R"(
  or:  6175ZIZ-ctl [OPTION]... short|open
  or:  6175ZIZ-ctl ports [--json]
  or:  6175ZIZ-ctl ports --map N DEVICE [--force]
  or:  6175ZIZ-ctl [OPTION]... profile check|show
Set the resistance of the 6175 box: one value, a sweep, a list of points, a
temperature program, the resistance of a temperature sensor, or a fault.
List the serial ports present, or make port N lead to one of them. Check or
show the profile of the box on a port (~/.config/6175ZIZ/boxes/com<N>.toml):
its limits bound every value before anything is sent, its correction table
gives true ohms (--true), its lead offset is taken off sensor values; a
profile that cannot be read lets nothing reach that port.

Values are ohms with an optional prefix and unit (1234.5, 1.5k, 1.5kohm,
250m, 0.05M) or a resistor code (4k7, 0R1, 100R), rounded to 0.1 ohm;
)" + box::limitText(box::kMinOhms) +
           " to " + box::limitText(box::kMaxOhms) +
           R"( ohm. Temperatures: 25, 25C, 77F, 298.15K. Durations: 500ms,
2s, 1.5min.

Port:
      --port N          the port N of the port map (as the panel uses it)
      --device PATH     a serial device used directly, or a stable name from
                        /dev/serial/by-id or by-path
                        (default: the port in ./Settings.txt)

Ports:
      --json            ports: the list as JSON, for scripts
      --map N           ports: make port N lead to DEVICE (a device, or its
                        stable name as ports lists it); the map entry holds
                        the stable name
      --force           ports --map: replace an entry that leads elsewhere

Sweeps and lists:
      --step STEP       sweep: the step (ohms, or kelvin with a sensor: 5, 9F)
      --points-per-decade N  sweep: a logarithmic sweep of resistances
      --dwell TIME      from one command's start to the next (default 1s; a
                        list line may give its own: VALUE,TIME)
      --repeat N        sweep: run the sweep N times
      --rtd TYPE        )" +
           rtdOption + R"(
      --ntc             the values are temperatures of a thermistor (--r25
                        and --beta, --steinhart, --table or --type)

Temperature programs (program FILE, one step a line, # comments):
  sensor pt100         the values are temperatures of this sensor (or give
                       --rtd TYPE / --ntc ...; without one, resistances)
  start 20C            the first value, sent at once
  ramp 120C 5K/min     to 120 C at 5 K a minute (K/s, K/h; 9F/min; without a
                       sensor ohm/s, ohm/min, ohm/h: ramp 10k 50ohm/s)
  ramp 120C in 20min   to 120 C in 20 minutes
  soak 10min           hold the value
  step 80C             jump to 80 C
  repeat 3 {           the steps up to a "}" line three times; "{" ends the
  }                    repeat line or stands alone on the next; repeats nest
The whole program is checked before anything is sent (every line, the
sensor's and the box's range, the profile's limits for every command). A
ramp sends each time the command text changes, never closer than two frames
(16.7 ms), and the same value again after --max-interval without a change.
      --max-interval TIME  program: the longest time without a command
                        (default 1s)
      --dry-run         program: each command with its due time and step,
                        and the total

Faults:
  short                 sends 00000.0
  open                  sends 99999.9: the box has no true open, this is its
                        highest value (both these digits with --true too)
      --burnout low|high  rtd/ntc: a failed sensor, read below or above its
                        range: 10 % beyond its resistance at the end of its
                        range (thermistors -55 to 150 C), within the box's range

Sensors:
      --type TYPE       )" +
           typeOption + R"(
      --r25 R           a thermistor's resistance at 25 degrees C ...
      --beta B          ... and its beta
      --steinhart A,B,C a thermistor's Steinhart-Hart coefficients
      --r0 R            a platinum sensor's resistance at 0 degrees C ...
      --cvd A,B[,C]     ... and its Callendar-Van Dusen coefficients (C acts
                        below 0 degrees C; 0 if not given)
      --table FILE.csv  a sensor's table: a line "degrees C,ohms" a row, cold
                        to hot; a thermistor's with ntc or --ntc, else a
                        resistance thermometer's

Running:
      --final VALUE     send VALUE once at any end (done, failed, stopped);
                        read as the other values of the run, and held to
                        the profile's largest change from every point
      --realtime        sweep/list/program: real-time priority for the
                        timetable, where the system allows it
      --true            set the true value: the digits whose measured sum
                        (the profile's correction table) is nearest
      --dry-run         print what would be sent, open nothing
  -q, --quiet           print nothing on standard output
      --log FILE.csv    write every command sent to FILE as CSV
  -h, --help            display this help and exit
      --version         output version information and exit

Each command sent prints a line: the time, the command text, the ohms and,
for a sensor, the temperature, and last the sensor's own ohms when the
profile's lead offset was taken off. Ctrl+C or SIGTERM stops a sweep, list or
program after the command in progress.

Exit status:
 0  everything was sent (ports: listed, or the entry written)
 1  the link failed (a sweep stops at the first failure); ports --map: the
    entry could not be written
 2  a usage or value error, a value outside the profile's limits or a
    profile that cannot be read; nothing was sent (ports --map: a refusal)
 128+N  stopped by signal N (130 for Ctrl+C, 143 for SIGTERM)
)";
}

std::string versionText() {
    return program::versionBanner("6175ZIZ-ctl");
}

}  // namespace zz::ctl
