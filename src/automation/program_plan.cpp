#include "automation/program_plan.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace zz::automation {

using namespace std::chrono;
using Kind = ProgramStep::Kind;

ProgramPlan::ProgramPlan(Program program, SetpointMaker make, Spacing spacing)
    : program_(std::make_shared<const Program>(std::move(program))),
      make_(std::move(make)),
      spacing_(spacing) {
    frames_.push_back(Frame{&program_->steps, 0, 0, 1});
    // Commands closer than a nanosecond would never let the time move on.
    spacing_.most = std::max(spacing_.most, spacing_.least + nanoseconds(1));
    progress_.left = program_->total;
}

// Moves to the next step that sends or holds (into repeats, and round them
// again), the time going on from where the last step ended.
bool ProgramPlan::enterNext() {
    if (leaf_) {
        if (leaf_->kind != Kind::Soak) value_ = leaf_->value;
        leafStart_ = leafEnd_;
        leaf_ = nullptr;
    }
    while (!frames_.empty()) {
        Frame &frame = frames_.back();
        if (frame.index == frame.steps->size()) {
            if (++frame.pass < frame.count) {
                frame.index = 0;
                continue;
            }
            frames_.pop_back();
            continue;
        }
        const ProgramStep &step = (*frame.steps)[frame.index++];
        if (step.kind == Kind::Repeat) {
            frames_.push_back(Frame{&step.body, 0, 0, step.count});
            continue;
        }
        leaf_ = &step;
        leafSent_ = false;
        nanoseconds length = step.duration;
        if (step.kind == Kind::Ramp) {
            const double from = value_.value_or(step.value);
            if (step.perSecond) {
                const auto ramp = Ramp::atRate(from, step.value, *step.perSecond);
                ramp_ = ramp ? ramp.value() : Ramp{from, step.value, {}};
            } else {
                ramp_ = Ramp{from, step.value, step.duration};
            }
            length = ramp_.duration;
        } else if (step.kind != Kind::Soak) {
            length = {};
        }
        leafEnd_ = leafStart_ + length;
        ++progress_.step;
        progress_.line = step.line;
        progress_.text = step.text;
        progress_.passes.clear();
        for (std::size_t i = 1; i < frames_.size(); ++i)
            progress_.passes.push_back(frames_[i].pass + 1);
        return true;
    }
    return false;
}

ProgramPlan::Found ProgramPlan::handOut(nanoseconds at, double value) {
    auto point = make_(value);
    if (!point)
        return Found::failure("line " + std::to_string(leaf_->line) + " (" + leaf_->text +
                              "): " + point.error());
    last_ = DueSetpoint{std::move(point.value()), at};
    ++progress_.commands;
    progress_.target = value;
    progress_.at = at;
    progress_.left = program_->total > at ? program_->total - at : nanoseconds::zero();
    return std::optional<DueSetpoint>{*last_};
}

ProgramPlan::Found ProgramPlan::next() {
    for (;;) {
        if (!leaf_ && !enterNext()) return std::optional<DueSetpoint>{};
        const std::optional<nanoseconds> earliest =
            last_ ? std::optional<nanoseconds>{last_->at + spacing_.least} : std::nullopt;
        const std::optional<nanoseconds> latest =
            last_ ? std::optional<nanoseconds>{last_->at + spacing_.most} : std::nullopt;

        // What this step would send next, and when.
        std::optional<std::pair<nanoseconds, double>> candidate;
        switch (leaf_->kind) {
            case Kind::Start:
            case Kind::Step:
                if (!leafSent_)
                    candidate = {std::max(leafStart_, earliest.value_or(leafStart_)), leaf_->value};
                leafSent_ = true;
                break;
            case Kind::Ramp: {
                const nanoseconds from = std::max(leafStart_, earliest.value_or(leafStart_));
                if (from > leafEnd_) {
                    // Pushed past the ramp's end: its end value, if it differs.
                    const auto end = make_(ramp_.to);
                    if (!leafSent_ && end && last_ &&
                        end.value().command != last_->setpoint.command)
                        candidate = {from, ramp_.to};
                    leafSent_ = true;
                    break;
                }
                const auto change = nextChange(ramp_, make_, last_ ? last_->setpoint.command : "",
                                               from - leafStart_);
                if (!change)
                    return Found::failure("line " + std::to_string(leaf_->line) + " (" +
                                          leaf_->text + "): " + change.error());
                if (change.value())
                    candidate = {leafStart_ + *change.value(), ramp_.valueAt(*change.value())};
                break;
            }
            case Kind::Soak:
            case Kind::Repeat:
                break;
        }
        // Nothing new for longer than the most: the value of now again.
        const nanoseconds until = candidate ? candidate->first : leafEnd_;
        if (latest && until > *latest) {
            if (candidate && leaf_->kind != Kind::Ramp) leafSent_ = false;  // still to come
            const double now = leaf_->kind == Kind::Ramp ? ramp_.valueAt(*latest - leafStart_)
                                                         : value_.value_or(leaf_->value);
            return handOut(*latest, now);
        }
        if (candidate) return handOut(candidate->first, candidate->second);
        if (!enterNext()) return std::optional<DueSetpoint>{};
    }
}

namespace {

Status checkSteps(const std::vector<ProgramStep> &steps, const SetpointMaker &make) {
    for (const auto &step : steps) {
        if (step.kind == Kind::Repeat) {
            if (Status s = checkSteps(step.body, make); !s) return s;
            continue;
        }
        if (step.kind == Kind::Soak) continue;
        if (const auto point = make(step.value); !point)
            return Status::failure(Status::kFailed, "line " + std::to_string(step.line) + " (" +
                                                        step.text + "): " + point.error());
    }
    return {};
}

}  // namespace

Status checkTargets(const Program &program, const SetpointMaker &make) {
    return checkSteps(program.steps, make);
}

std::string describeCommandPlace(const ProgramProgress &progress) {
    char at[32];
    std::snprintf(at, sizeof at, "%.3f s", std::chrono::duration<double>(progress.at).count());
    std::string text = "command " + std::to_string(progress.commands) + " at +" + at + ", line " +
                       std::to_string(progress.line) + " (" + progress.text + ")";
    for (std::size_t i = 0; i < progress.passes.size(); ++i)
        text += i ? "/" + std::to_string(progress.passes[i])
                  : ", pass " + std::to_string(progress.passes[i]);
    return text;
}

Status checkEveryCommand(ProgramPlan plan, std::size_t mostCommands,
                         const std::function<Status(const Setpoint &)> &check) {
    for (;;) {
        const auto next = plan.next();
        if (!next) return Status::failure(Status::kFailed, next.error());
        if (!next.value()) return {};
        if (plan.progress().commands > mostCommands)
            return Status::failure(Status::kFailed, "the program would send more than " +
                                                        std::to_string(mostCommands) + " commands");
        const Setpoint &point = next.value()->setpoint;
        if (Status status = check(point); !status)
            return Status::failure(status.number(), describeCommandPlace(plan.progress()) + ", " +
                                                        point.command + ": " + status.text());
    }
}

Outcome<Program> slewProgram(const ValueReading &reading, double from, double to,
                             double perSecond) {
    const auto ramp = Ramp::atRate(from, to, perSecond);
    if (!ramp) return Outcome<Program>::failure(ramp.error());
    Program program;
    program.reading = reading;
    program.steps.push_back(ProgramStep{Kind::Start, 0, "from", from, {}, {}, 0, {}});
    program.steps.push_back(ProgramStep{Kind::Ramp, 0, "slew", to, perSecond, {}, 0, {}});
    program.total = ramp.value().duration;
    return program;
}

}  // namespace zz::automation
