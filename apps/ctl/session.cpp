#include "session.h"

#include "automation/realtime.h"
#include "automation/timed_run.h"
#include "box/ohms_command.h"
#include "box_profile.h"
#include "common/decimal_text.h"
#include "help_text.h"
#include "link/command_record.h"
#include "link/serial_control.h"
#include "options.h"
#include "point_report.h"
#include "ports_command.h"
#include "profile/profile_file.h"
#include "profile_command.h"
#include "program/port_selection.h"
#include "program/stop_signals.h"
#include "program_command.h"
#include "run_plan.h"

#include <csignal>
#include <cstdio>
#include <iostream>

namespace zz::ctl {

using namespace automation;
using namespace std::chrono;

namespace {

void complain(const std::string &text) {
    std::fprintf(stderr, "6175ZIZ-ctl: %s\n", text.c_str());
}

int usageError(const std::string &text) {
    complain(text);
    std::fprintf(stderr, "Try '6175ZIZ-ctl --help' for more information.\n");
    return kExitUsage;
}

int valueError(const std::string &text) {
    complain(text);
    return kExitUsage;
}

std::string signalName(int sig) {
    switch (sig) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
#ifdef SIGHUP
        case SIGHUP:
            return "SIGHUP";
#endif
    }
    return "signal " + std::to_string(sig);
}

std::string pointName(const RunPlan &plan, std::size_t index) {
    return "point " + std::to_string(index + 1) + " of " + std::to_string(plan.points.size()) +
           " (" + plan.points[index].setpoint.command + ")";
}

int dryRun(const RunPlan &plan, const std::string &port) {
    std::printf("dry run, nothing is sent; port: %s\n", port.c_str());
    nanoseconds at{};
    for (const auto &point : plan.points) {
        std::printf("+%.3f s  %s\n", duration<double>(at).count(),
                    describeSetpoint(point.setpoint, plan.pointLeadsOhms).c_str());
        at += point.dwell;
    }
    if (plan.finalPoint)
        std::printf("final     %s\n",
                    describeSetpoint(*plan.finalPoint, plan.finalLeadsOhms).c_str());
    return kExitSent;
}

// Sends the plan, then the final value whatever the end; the exit status.
int sendPlan(const RunPlan &plan, bool realtime, link::SerialControl &control,
             PointReport &report) {
    RunHooks hooks;
    if (realtime) {
        if (const std::string refused = enterRealtime(); !refused.empty())
            complain("--realtime: " + refused + "; the run goes on without it");
        hooks.watchBeforeDue = kRealtimeWatchBeforeDue;
    }
    system_clock::time_point started;  // the wall-clock time each command began, for the report
    hooks.send = [&](const Setpoint &point) {
        started = system_clock::now();
        return link::sendCommand(control, point.command);
    };
    hooks.stopRequested = [] { return program::stopSignal() != 0; };
    hooks.sent = [&](std::size_t index, const PointTiming &, const Status &status) {
        if (status) report.sent(plan.points[index].setpoint, started, plan.pointLeadsOhms);
    };
    const RunEnd end = runTimed(plan.points, hooks);

    int exitStatus = kExitSent;
    if (end.kind == RunEnd::Kind::Failed) {
        complain(pointName(plan, end.sent) + " failed: " + end.failure.text());
        exitStatus = kExitLinkFailed;
    }
    if (const int sig = program::stopSignal()) {
        std::string where = "stopped by " + signalName(sig) + " after " + std::to_string(end.sent) +
                            " of " + std::to_string(plan.points.size()) + " points";
        if (end.sent > 0) where += ", last sent " + plan.points[end.sent - 1].setpoint.command;
        complain(where);
        exitStatus = 128 + sig;
    }
    if (plan.finalPoint) {
        started = system_clock::now();
        const Status status = link::sendCommand(control, plan.finalPoint->command);
        if (status) {
            report.sent(*plan.finalPoint, started, plan.finalLeadsOhms);
        } else {
            complain("final value " + plan.finalPoint->command + " failed: " + status.text());
            if (exitStatus == kExitSent) exitStatus = kExitLinkFailed;
        }
    }
    return exitStatus;
}

}  // namespace

int runSession(const std::vector<std::string> &args) {
    const Outcome<Options> parsed = parseCommandLine(args);
    if (!parsed) return usageError(parsed.error());
    const Options &options = parsed.value();
    if (options.help) {
        // The names of the profile's own sensors beside the catalogue's.
        std::fputs(helpText(profileSensorsFor({options.port, options.device})).c_str(), stdout);
        return kExitSent;
    }
    if (options.version) {
        std::fputs(versionText().c_str(), stdout);
        return kExitSent;
    }

    if (options.command == Command::Ports) return runPorts(options);
    if (options.command == Command::Profile) return runProfile(options);
    if (options.json || options.map || options.force)
        return usageError("--json, --map and --force are for the ports command");

    link::SerialControl control;
    const program::PortRequest request{options.port, options.device};
    const Status port = program::selectPort(request, control);
    // The box's profile: its sensors name values, it shapes the plan and its
    // limits bound it; a profile that cannot be read lets nothing reach this
    // port.
    std::string profilePath;
    Outcome<std::optional<profile::Profile>> loaded = std::optional<profile::Profile>{};
    if (port) {
        profilePath = profilePathFor(request, control);
        loaded = profile::loadProfile(profilePath);
    }
    if (!loaded) return valueError(loaded.error() + "; nothing is sent to this port");
    const std::optional<profile::Profile> &boxProfile = loaded.value();
    if (options.command == Command::Program)
        return runProgram(options, ProgramPort{request, control, port, boxProfile, profilePath});

    // Value errors need no pointer to --help: the message says what is wrong.
    auto plan = makeRunPlan(options, std::cin,
                            boxProfile ? boxProfile->sensors : std::vector<box::UserSensor>{});
    if (!plan) return valueError(plan.error());

    // A dry run without any port still shows the plan; a port named wrongly
    // is an error either way.
    if (!port && (!options.dryRun || options.port || options.device))
        return valueError(port.text());
    if (boxProfile) {
        // Once a run, on standard error so that scripts reading the output see
        // only the points.
        if (const std::string overdue = overdueWarning(*boxProfile, todayText()); !overdue.empty())
            complain(overdue);
        if (const Status applied = applyProfile(*boxProfile, options.trueOhms, plan.value());
            !applied)
            return valueError(applied.text() + " (" + profilePath + ")");
        // The first change counts from what the box was last sent by any
        // program of ours.
        std::optional<double> last;
        if (const auto record = link::readCommandRecord(control.devicePath()))
            last = box::commandOhms(record->command);
        if (const Status inside = checkPlanLimits(boxProfile->limits, plan.value(), last); !inside)
            return valueError(inside.text() + "; nothing sent");
    } else if (options.trueOhms) {
        return valueError(port ? "--true needs a correction table, and there is no profile " +
                                     profilePath
                               : "--true needs the port's profile: give --port N or --device PATH");
    }
    // Said before anything goes out, so it shows beside a dry run as well.
    if (options.command == Command::Open && !options.quiet)
        std::printf(
            "the box has no true open: 99999.9 \u03A9, its highest value, stands in "
            "for an open sensor\n");
    if (options.dryRun)
        return dryRun(plan.value(),
                      port ? program::describeSelection(request, control) : port.text());

    PointReport report(options.quiet);
    if (options.logPath) {
        if (const Status log = report.openLog(*options.logPath); !log)
            return valueError(log.text());
    }
    program::watchStopSignals();
    return sendPlan(plan.value(), options.realtime, control, report);
}

}  // namespace zz::ctl
