// The instrument's runs: a slew to a new TEMP or RES setting, or the program
// PROGram:DEFine loaded, handed out one command at a time by the program
// engine and sent when the server's timer says they are due.

#include "box/ohms_command.h"
#include "common/decimal_text.h"
#include "scpi/error_queue.h"
#include "scpi/instrument.h"

#include <algorithm>

namespace zz::scpi {

namespace {

Status refused(int code, std::string text) {
    return Status::failure(code, std::move(text));
}

}  // namespace

// A run's values as every other setting goes: the sensor's resistance, then
// the profile's lead offset, true digits and limits as they stand now.
automation::SetpointMaker Instrument::setpointMaker(const automation::ValueReading &reading) const {
    return [this, reading](double value) {
        auto point = reading.setpoint(value);
        if (!point) return point;
        const auto prepared =
            rules_.prepare(point.value().ohms, point.value().celsius.has_value(), mode);
        if (!prepared) return Outcome<automation::Setpoint>::failure(prepared.error());
        point.value().command = prepared.value().command;
        point.value().trueOhms = prepared.value().trueOhms;
        return point;
    };
}

Status Instrument::setTemperature(double celsius) {
    if (const Status usable = sensorUsable(); !usable) return usable;
    const box::Sensor now = sensor();
    const auto ohms = box::sensorResistance(now, celsius);
    if (!ohms) return refused(error::kDataOutOfRange, "");  // the bare error, as ever
    const auto from = runValueNow(RunKind::TemperatureSlew);
    if (!temperatureSlew || !from || *from == celsius) return set(ohms.value(), celsius);
    // The target refused as a setting at once would be, with the same words.
    if (const Status refusing = refusal(ohms.value(), true, false); !refusing) return refusing;
    auto program = automation::slewProgram({now}, *from, celsius, *temperatureSlew);
    if (!program) return refused(error::kDataOutOfRange, program.error());
    program.value().steps.back().text = "slew to " + common::decimalText(celsius, 2) + " \u00B0C";
    return startRun(RunKind::TemperatureSlew, std::move(program.value()));
}

Status Instrument::setResistance(double ohms) {
    const auto from = runValueNow(RunKind::ResistanceSlew);
    if (!resistanceSlew || !from || *from == ohms) return set(ohms);
    if (const Status refusing = refusal(ohms, false, false); !refusing) return refusing;
    auto program = automation::slewProgram({}, *from, ohms, *resistanceSlew);
    if (!program) return refused(error::kDataOutOfRange, program.error());
    program.value().steps.back().text = "slew to " + common::decimalText(ohms, 1, 1) + " \u03A9";
    return startRun(RunKind::ResistanceSlew, std::move(program.value()));
}

// Where a new slew of `kind` starts: where the ramp of that kind going on
// has got to, else the value the box holds; nothing when that is not known
// (the box holds a value set otherwise), and the setting goes at once.
std::optional<double> Instrument::runValueNow(RunKind kind) const {
    if (run_ && run_->kind == kind) return run_->shown.target;
    return kind == RunKind::TemperatureSlew ? lastCelsius() : lastOhms();
}

Status Instrument::loadProgram(automation::Program loaded) {
    if (const Status targets = automation::checkTargets(loaded, setpointMaker(loaded.reading));
        !targets)
        return refused(error::kDataOutOfRange, targets.text());
    program = std::move(loaded);
    return {};
}

Status Instrument::runProgram() {
    if (!program)
        return refused(error::kSettingsConflict, "no program: load one with PROGram:DEFine");
    return startRun(RunKind::Program, *program);
}

// The whole run is checked before its first command; a run that takes over
// from another keeps the clients waiting for the settling.
Status Instrument::startRun(RunKind kind, automation::Program program) {
    if (const Status usable = rules_.usable(); !usable)
        return refused(error::kExecution, usable.text());
    if (mode == profile::SetMode::True && !rules_.hasTable())
        return refused(error::kSettingsConflict,
                       "true values need a correction table ([table]) in the box's profile");
    auto make = setpointMaker(program.reading);
    if (const Status targets = automation::checkTargets(program, make); !targets)
        return refused(error::kDataOutOfRange, targets.text());
    std::optional<automation::Setpoint> target;
    if (kind != RunKind::Program)
        if (auto made = make(program.steps.back().value)) target = std::move(made.value());
    automation::ProgramPlan plan(std::move(program), std::move(make), runSpacing);
    // Every command against the limits, each change from the one before it
    // (the first from what the box holds), as 6175ZIZ-ctl checks a program.
    // Without a largest change, nominal values between targets inside the
    // limits stay inside (ramps are monotonic, the limits on the box's
    // steps): the targets said it all, and a long program does not hold the
    // link while it is walked.
    const auto &boxProfile = rules_.profile();
    if (boxProfile && (boxProfile->limits.maxChangeOhms || mode == profile::SetMode::True)) {
        std::optional<double> from = lastOhms();
        const Status whole = automation::checkEveryCommand(
            plan, kMostRunCommands, [&](const automation::Setpoint &point) {
                Status inside = rules_.checkCommand(point.command, from);
                from = box::commandOhms(point.command);
                return inside;
            });
        if (!whole)
            return refused(error::kDataOutOfRange, "the run is refused whole: " + whole.text());
    }
    auto first = plan.next();
    if (!first) return refused(error::kDataOutOfRange, first.error());
    automation::ProgramProgress shown = plan.progress();
    run_.emplace(Run{kind, std::move(plan), clock(), std::move(first.value()), std::move(shown),
                     true, std::move(target), std::nullopt});
    runFailure_.clear();
    if (runStarted) runStarted();
    return {};
}

std::optional<Instrument::Clock::time_point> Instrument::advance() {
    if (!run_) return std::nullopt;
    const auto now = clock();
    while (run_->next && run_->start + run_->next->at <= now) {
        // Never two commands closer than the spacing on the line, even when
        // the one before went out late.
        if (run_->lastSent && now < *run_->lastSent + runSpacing.least)
            return *run_->lastSent + runSpacing.least;
        automation::DueSetpoint due = std::move(*run_->next);
        automation::ProgramProgress progress = run_->plan.progress();
        auto following = run_->plan.next();
        if (!following) {
            runFailure_ = following.error();
            endRun();
            return std::nullopt;
        }
        run_->next = std::move(following.value());
        // A command already overtaken by the next is not sent: the line
        // carries where the ramp is, never a burst of where it was; unless
        // leaving it out would make the next change larger than the
        // profile's largest change per command.
        if (run_->next && run_->start + run_->next->at <= now &&
            rules_.checkCommand(run_->next->setpoint.command, lastOhms()))
            continue;
        // A slew starts where the box is: its first command is not sent again.
        const bool again = run_->first && link_.lastCommand() == due.setpoint.command;
        run_->first = false;
        if (!again) {
            Status sent = rules_.checkCommand(due.setpoint.command, lastOhms());
            if (sent) sent = send(due.setpoint);
            if (!sent) {
                runFailure_ = sent.text();
                endRun();
                return std::nullopt;
            }
            run_->lastSent = clock();
        }
        run_->shown = std::move(progress);
    }
    if (!run_->next) {
        if (const auto &target = run_->target;
            target && target->celsius && link_.lastCommand() == target->command)
            lastCelsius_ = *target->celsius;
        endRun();
        return std::nullopt;
    }
    return nextDue();
}

std::optional<Instrument::Clock::time_point> Instrument::nextDue() const {
    if (!run_ || !run_->next) return std::nullopt;
    return run_->start + std::chrono::duration_cast<Clock::duration>(run_->next->at);
}

void Instrument::stopRun() {
    if (run_) endRun();
}

void Instrument::endRun() {
    run_.reset();
    auto waiters = std::move(settledWaiters_);
    settledWaiters_.clear();
    for (auto &settled : waiters) settled();
}

void Instrument::whenSettled(std::function<void()> settled) {
    if (!run_) return settled();
    settledWaiters_.push_back(std::move(settled));
}

std::optional<RunKind> Instrument::runKind() const {
    if (!run_) return std::nullopt;
    return run_->kind;
}

const automation::ProgramProgress *Instrument::runProgress() const {
    return run_ ? &run_->shown : nullptr;
}

std::optional<double> Instrument::slewTargetOhms() const {
    if (!run_ || !run_->target) return std::nullopt;
    return run_->target->ohms;
}

std::optional<std::chrono::nanoseconds> Instrument::runTimeLeft() const {
    if (!run_) return std::nullopt;
    return std::max(std::chrono::nanoseconds(0), run_->plan.total() - (clock() - run_->start));
}

}  // namespace zz::scpi
