#include "program_command.h"

#include "automation/duration_text.h"
#include "automation/program_plan.h"
#include "automation/realtime.h"
#include "box/ohms_command.h"
#include "box_profile.h"
#include "common/decimal_text.h"
#include "link/command_record.h"
#include "link/line_time.h"
#include "point_report.h"
#include "profile/limits.h"
#include "program/stop_signals.h"
#include "run_plan.h"
#include "session.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace zz::ctl {

using namespace automation;
using namespace std::chrono;

namespace {

void complain(const std::string &text) {
    std::fprintf(stderr, "6175ZIZ-ctl: %s\n", text.c_str());
}

int refused(const std::string &text) {
    complain(text);
    return kExitUsage;
}

std::string signalName(int sig) {
    if (sig == SIGINT) return "SIGINT";
    if (sig == SIGTERM) return "SIGTERM";
    return "signal " + std::to_string(sig);
}

std::string secondsText(nanoseconds at) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", duration<double>(at).count());
    return text;
}

// "line 3 (ramp 120C 5K/min)", and the passes of the repeats around it.
std::string whereIn(const ProgramProgress &progress) {
    std::string text = "line " + std::to_string(progress.line) + " (" + progress.text + ")";
    for (std::size_t i = 0; i < progress.passes.size(); ++i)
        text += i ? "/" + std::to_string(progress.passes[i])
                  : ", pass " + std::to_string(progress.passes[i]);
    return text;
}

// Every command the program will send, walked once without sending: the
// box's and the sensor's range, the profile's limits and the count. The
// final value may follow any of them, or `last` (the device's record) when
// the run stops before its first.
Status checkWhole(ProgramPlan plan, const std::optional<profile::Profile> &boxProfile,
                  std::optional<double> last, const std::optional<Setpoint> &finalPoint) {
    const std::optional<double> finalOhms =
        finalPoint ? box::commandOhms(finalPoint->command) : std::nullopt;
    const std::optional<double> record = last;
    for (;;) {
        const auto next = plan.next();
        if (!next) return Status::failure(Status::kFailed, next.error());
        if (!next.value()) break;
        if (plan.progress().commands > kMaxProgramCommands)
            return Status::failure(Status::kFailed, "the program would send more than " +
                                                        std::to_string(kMaxProgramCommands) +
                                                        " commands");
        if (!boxProfile) continue;
        const double ohms = *box::commandOhms(next.value()->setpoint.command);
        if (Status inside = profile::checkValue(boxProfile->limits, ohms, last); !inside)
            return Status::failure(inside.number(), "the program is refused whole: command " +
                                                        std::to_string(plan.progress().commands) +
                                                        " at +" + secondsText(next.value()->at) +
                                                        ", " + whereIn(plan.progress()) + ", " +
                                                        next.value()->setpoint.command + ": " +
                                                        inside.text());
        if (finalOhms && !profile::checkValue(boxProfile->limits, *finalOhms, ohms))
            return Status::failure(
                Status::kFailed,
                "the program is refused whole: " +
                    checkFinalAfter(boxProfile->limits, finalPoint->command, ohms,
                                    "command " + std::to_string(plan.progress().commands) +
                                        " at +" + secondsText(next.value()->at) + ", " +
                                        whereIn(plan.progress()) + ", " +
                                        next.value()->setpoint.command)
                        .text());
        last = ohms;
    }
    if (!boxProfile || !finalOhms || !record) return {};
    return checkFinalAfter(boxProfile->limits, finalPoint->command, *record,
                           "the device's last command, where a run stopped before its first "
                           "command ends");
}

int dryRun(ProgramPlan plan, const std::optional<Setpoint> &finalPoint, double leadsOhms,
           const std::string &port) {
    std::printf("dry run, nothing is sent; port: %s\n", port.c_str());
    int line = -1;
    for (auto next = plan.next(); next && next.value(); next = plan.next()) {
        const ProgramProgress &progress = plan.progress();
        // The step beside its first command.
        const std::string step = progress.line != line ? "  " + whereIn(progress) : "";
        line = progress.line;
        std::printf("+%s  %s%s\n", secondsText(next.value()->at).c_str(),
                    describeSetpoint(next.value()->setpoint, leadsOhms).c_str(), step.c_str());
    }
    if (finalPoint) std::printf("final     %s\n", describeSetpoint(*finalPoint, leadsOhms).c_str());
    std::printf("total %s, %zu commands\n", secondsText(plan.total()).c_str(),
                plan.progress().commands);
    return kExitSent;
}

int sendProgram(ProgramPlan plan, const std::optional<Setpoint> &finalPoint, double leadsOhms,
                bool realtime, link::SerialControl &control, PointReport &report) {
    RunHooks hooks;
    if (realtime) {
        if (const std::string refusal = enterRealtime(); !refusal.empty())
            complain("--realtime: " + refusal + "; the run goes on without it");
        hooks.watchBeforeDue = kRealtimeWatchBeforeDue;
    }
    system_clock::time_point started;
    std::optional<Setpoint> current, lastSent;
    Status planFailure;
    hooks.send = [&](const Setpoint &point) {
        started = system_clock::now();
        return link::sendCommand(control, point.command);
    };
    hooks.stopRequested = [] { return program::stopSignal() != 0; };
    hooks.sent = [&](std::size_t, const PointTiming &, const Status &status) {
        if (!status) return;
        report.sent(*current, started, leadsOhms);
        lastSent = current;
    };
    const RunEnd end = runTimed(
        [&]() -> std::optional<DueSetpoint> {
            auto next = plan.next();
            if (!next) {
                planFailure = Status::failure(Status::kFailed, next.error());
                return std::nullopt;
            }
            if (next.value()) current = next.value()->setpoint;
            return next.value();
        },
        hooks);

    int exitStatus = kExitSent;
    if (!planFailure) {
        complain(planFailure.text());
        exitStatus = kExitLinkFailed;
    }
    if (end.kind == RunEnd::Kind::Failed) {
        complain("command " + std::to_string(end.sent + 1) + " (" + current->command + "), " +
                 whereIn(plan.progress()) + ", failed: " + end.failure.text());
        exitStatus = kExitLinkFailed;
    }
    if (const int sig = program::stopSignal()) {
        std::string where =
            "stopped by " + signalName(sig) + " after " + std::to_string(end.sent) + " commands";
        if (lastSent)
            where += ", last sent " + lastSent->command + " at " + whereIn(plan.progress());
        complain(where);
        exitStatus = 128 + sig;
    }
    if (finalPoint) {
        started = system_clock::now();
        if (const Status status = link::sendCommand(control, finalPoint->command); status) {
            report.sent(*finalPoint, started, leadsOhms);
        } else {
            complain("final value " + finalPoint->command + " failed: " + status.text());
            if (exitStatus == kExitSent) exitStatus = kExitLinkFailed;
        }
    }
    return exitStatus;
}

}  // namespace

int runProgram(const Options &o, ProgramPort port) {
    if (o.step || o.perDecade || o.repeat || o.dwell || o.burnout)
        return refused(
            "program takes no --step, --points-per-decade, --repeat, --dwell or --burnout");
    if (o.operands.size() != 1) return refused("program takes one FILE, or - for standard input");
    const auto userSensors = port.profile ? port.profile->sensors : std::vector<box::UserSensor>{};
    const auto reading = valueReadingOf(o, userSensors);
    if (!reading) return refused(reading.error());

    const std::string &source = o.operands[0];
    std::ifstream file;
    if (source != "-") {
        file.open(source, std::ios::binary);
        if (!file) return refused("cannot open " + source + ": " + std::strerror(errno));
    }
    const auto program = readProgram(
        source == "-" ? std::cin : file, source == "-" ? "standard input" : source, reading.value(),
        [&](const std::string &name) { return lookUpSensor(name, userSensors); });
    if (!program) return refused(program.error());

    Spacing spacing{2 * link::kFrameTime, seconds(1)};
    if (o.maxInterval) {
        const auto most = readDuration(*o.maxInterval);
        if (!most) return refused("--max-interval: " + most.error());
        if (most.value() < spacing.least)
            return refused(
                "--max-interval: at least two frames on the line, " +
                common::decimalText(duration<double, std::milli>(spacing.least).count(), 1) +
                " ms");
        spacing.most = most.value();
    }

    if (!port.selected && (!o.dryRun || o.port || o.device)) return refused(port.selected.text());
    const std::optional<profile::Profile> &boxProfile = port.profile;
    if (!boxProfile && o.trueOhms)
        return refused(port.selected
                           ? "--true needs a correction table, and there is no profile " +
                                 port.profilePath
                           : "--true needs the port's profile: give --port N or --device PATH");
    if (boxProfile && o.trueOhms && !boxProfile->table)
        return refused("--true needs a correction table ([table]) in the box's profile (" +
                       port.profilePath + ")");
    if (boxProfile)
        if (const std::string overdue = overdueWarning(*boxProfile, todayText()); !overdue.empty())
            complain(overdue);

    // A value as the box will be sent it: the lead offset and true ohms of
    // the profile, as for every other command.
    const ValueReading valueReading = program.value().reading;
    const bool trueOhms = o.trueOhms;
    const SetpointMaker make = [&boxProfile, valueReading, trueOhms](double value) {
        auto point = valueReading.setpoint(value);
        if (!point || !boxProfile) return point;
        RunPlan one{{{std::move(point.value()), {}}}, std::nullopt};
        if (const Status applied = applyProfile(*boxProfile, trueOhms, one); !applied)
            return Outcome<Setpoint>::failure(applied.text());
        return Outcome<Setpoint>(std::move(one.points[0].setpoint));
    };
    std::optional<Setpoint> finalPoint;
    if (o.finalValue) {
        const auto final = valueReading.readValue(*o.finalValue);
        if (!final) return refused("--final: " + final.error());
        const auto point = make(final.value());
        if (!point) return refused("--final: " + point.error());
        finalPoint = point.value();
        if (boxProfile)
            if (Status inside =
                    profile::checkValue(boxProfile->limits, *box::commandOhms(finalPoint->command));
                !inside)
                return refused("--final " + finalPoint->command + ": " + inside.text() +
                               "; nothing sent");
    }

    if (Status targets = checkTargets(program.value(), make); !targets)
        return refused(targets.text() + "; nothing sent");
    const ProgramPlan plan(program.value(), make, spacing);
    std::optional<double> last;
    if (port.selected)
        if (const auto record = link::readCommandRecord(port.control.devicePath()))
            last = box::commandOhms(record->command);
    if (Status whole = checkWhole(plan, boxProfile, last, finalPoint); !whole)
        return refused(whole.text() + "; nothing sent");

    // A sensor's values (the final one too) have the lead offset taken off.
    const double leadsOhms = boxProfile && valueReading.sensor ? boxProfile->leadOffsetOhms : 0.0;
    if (o.dryRun)
        return dryRun(plan, finalPoint, leadsOhms,
                      port.selected ? program::describeSelection(port.request, port.control)
                                    : port.selected.text());
    PointReport report(o.quiet);
    if (o.logPath)
        if (const Status log = report.openLog(*o.logPath); !log) return refused(log.text());
    program::watchStopSignals();
    return sendProgram(plan, finalPoint, leadsOhms, o.realtime, port.control, report);
}

}  // namespace zz::ctl
