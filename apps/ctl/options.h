#pragma once
// The command line of 6175ZIZ-ctl as given: which command, its operands and
// the options, still as text. Reading the values is the plan's job
// (run_plan.h), so that every value error is reported the same way.

#include "common/status.h"

#include <optional>
#include <string>
#include <vector>

namespace zz::ctl {

enum class Command { Set, Sweep, List, Rtd, Ntc, Ports, Profile, Program, Short, Open };

struct Options {
    bool help = false;
    bool version = false;

    Command command = Command::Set;
    std::vector<std::string> operands;  // after the command's name

    std::optional<std::string> port;  // --port N
    std::optional<std::string> device;
    bool dryRun = false;
    bool quiet = false;
    std::optional<std::string> logPath;
    std::optional<std::string> finalValue;
    bool realtime = false;
    bool trueOhms = false;  // --true: the digits the correction table says come nearest

    std::optional<std::string> step;
    std::optional<std::string> perDecade;
    std::optional<std::string> dwell;
    std::optional<std::string> repeat;
    std::optional<std::string> maxInterval;  // program: the longest time without a command
    std::optional<std::string> burnout;      // rtd/ntc: low or high

    std::optional<std::string> type;  // rtd/ntc --type
    std::optional<std::string> rtd;   // sweep/list --rtd TYPE
    bool ntc = false;
    std::optional<std::string> r25, beta, steinhart;
    std::optional<std::string> r0, cvd;  // a platinum sensor by Callendar-Van Dusen
    std::optional<std::string> table;    // a sensor's resistance-temperature CSV file

    bool json = false;               // ports --json
    std::optional<std::string> map;  // ports --map N DEVICE
    bool force = false;              // ports --map: replace an entry that leads elsewhere
};

// The options, or the usage error.
Outcome<Options> parseCommandLine(const std::vector<std::string> &args);

}  // namespace zz::ctl
