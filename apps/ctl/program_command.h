#pragma once
// `6175ZIZ-ctl program FILE|-`: a temperature program read and checked whole
// (its text, the sensor's and the box's range, the profile's limits for
// every command it will send) before the first command, then run on the
// absolute timetable of the sweeps.

#include "common/status.h"
#include "link/serial_control.h"
#include "options.h"
#include "profile/profile.h"
#include "program/port_selection.h"

#include <optional>
#include <string>

namespace zz::ctl {

// Enough for weeks of commands at one a second; more is a mistake.
inline constexpr std::size_t kMaxProgramCommands = 2'000'000;

struct ProgramPort {
    program::PortRequest request;
    link::SerialControl &control;
    Status selected;  // whether a port was found
    const std::optional<profile::Profile> &profile;
    std::string profilePath;
};

// The exit status, as for sweeps.
int runProgram(const Options &options, ProgramPort port);

}  // namespace zz::ctl
