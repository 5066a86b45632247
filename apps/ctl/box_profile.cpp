#include "box_profile.h"

#include "box/ohms_command.h"
#include "profile/box_rules.h"
#include "profile/profile_file.h"

namespace zz::ctl {

using automation::Setpoint;

namespace {

Status adjust(const profile::BoxRules &rules, bool trueOhms, bool sensorValue, Setpoint &point) {
    const auto value = rules.convert(point.ohms, sensorValue,
                                     trueOhms ? profile::SetMode::True : profile::SetMode::Nominal);
    if (!value) return value.status();
    point.command = value.value().command;
    point.ohms = value.value().ohms;
    if (value.value().trueOhms) point.trueOhms = value.value().trueOhms;
    return {};
}

}  // namespace

Status applyProfile(const profile::Profile &profile, bool trueOhms, RunPlan &plan) {
    const profile::BoxRules rules(profile);
    if (trueOhms && !profile.table)
        return Status::failure(Status::kFailed,
                               "--true needs a correction table ([table]) in the box's profile");
    for (auto &point : plan.points) {
        Setpoint &setpoint = point.setpoint;
        if (plan.kind == PointKind::Fault) {
            // A short or an open is the box's end digits whatever the table
            // says; true mode shows what those digits present.
            if (trueOhms) setpoint.trueOhms = rules.trueOhms(setpoint.command);
            continue;
        }
        const bool sensorValue = setpoint.celsius || plan.kind == PointKind::Burnout;
        if (Status status = adjust(rules, trueOhms, sensorValue, setpoint); !status) return status;
        if (sensorValue) plan.pointLeadsOhms = profile.leadOffsetOhms;
    }
    if (!plan.finalPoint) return {};
    const bool sensorValue = plan.finalPoint->celsius.has_value();
    if (sensorValue) plan.finalLeadsOhms = profile.leadOffsetOhms;
    return adjust(rules, trueOhms, sensorValue, *plan.finalPoint);
}

Status checkPlanLimits(const profile::Limits &limits, const RunPlan &plan,
                       std::optional<double> last) {
    Status status;
    if (plan.points.size() == 1) {
        status =
            profile::checkValue(limits, *box::commandOhms(plan.points[0].setpoint.command), last);
        if (!status)
            return Status::failure(status.number(),
                                   plan.points[0].setpoint.command + ": " + status.text());
    } else {
        std::vector<double> ohms;
        ohms.reserve(plan.points.size());
        for (const auto &point : plan.points)
            ohms.push_back(*box::commandOhms(point.setpoint.command));
        if (status = profile::checkSequence(limits, ohms, last); !status)
            return Status::failure(status.number(), "the run is refused whole: " + status.text());
    }
    if (!plan.finalPoint) return {};
    const std::string &final = plan.finalPoint->command;
    if (status = profile::checkValue(limits, *box::commandOhms(final)); !status)
        return Status::failure(status.number(), "--final " + final + ": " + status.text());
    // The final value follows whichever point the run ends on, or the
    // device's last command when it stops before its first.
    if (last)
        if (status = checkFinalAfter(limits, final, *last,
                                     "the device's last command, where a run stopped before its "
                                     "first point ends");
            !status)
            return status;
    const double finalOhms = *box::commandOhms(final);
    for (std::size_t i = 0; i < plan.points.size(); ++i) {
        const std::string &command = plan.points[i].setpoint.command;
        const double ohms = *box::commandOhms(command);
        if (profile::checkValue(limits, finalOhms, ohms)) continue;
        return checkFinalAfter(limits, final, ohms,
                               "point " + std::to_string(i + 1) + " of " +
                                   std::to_string(plan.points.size()) + " (" + command + ")");
    }
    return {};
}

Status checkFinalAfter(const profile::Limits &limits, const std::string &final, double ohms,
                       const std::string &where) {
    const Status status = profile::checkValue(limits, *box::commandOhms(final), ohms);
    if (status) return {};
    return Status::failure(status.number(),
                           "--final " + final + " cannot follow " + where + ": " + status.text());
}

std::vector<box::UserSensor> profileSensorsFor(const program::PortRequest &request) {
    link::SerialControl control;
    if (!program::selectPort(request, control)) return {};
    const auto loaded = profile::loadProfile(profilePathFor(request, control));
    if (!loaded || !loaded.value()) return {};
    return loaded.value()->sensors;
}

}  // namespace zz::ctl
