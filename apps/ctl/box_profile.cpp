#include "box_profile.h"

#include "box/ohms_command.h"
#include "profile/box_rules.h"

#include <cstdio>
#include <variant>

namespace zz::ctl {

using automation::Setpoint;

namespace {

std::string fixed(double value, int decimals = 1) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

Status adjust(const profile::BoxRules &rules, bool trueOhms, Setpoint &point) {
    const auto value = rules.convert(point.ohms, point.celsius.has_value(),
                                     trueOhms ? profile::SetMode::True : profile::SetMode::Nominal);
    if (!value) return value.status();
    point.command = value.value().command;
    point.ohms = value.value().ohms;
    if (value.value().trueOhms) point.trueOhms = value.value().trueOhms;
    return {};
}

std::string general(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// A user's sensor as the profile gives it; a table read from its file shows
// its rows inline.
std::string sensorText(const box::UserSensor &sensor) {
    std::string text = "[sensors." + box::userSensorName(sensor) + "]\n";
    if (const auto *platinum = std::get_if<box::PlatinumSensor>(&sensor))
        return text + "r0 = " + fixed(platinum->r0, 4) + "\na = " + general(platinum->k.a) +
               "\nb = " + general(platinum->k.b) + "\nc = " + general(platinum->k.c) + "\n";
    const auto &table = std::get<box::TableSensor>(sensor);
    text += std::string("kind = \"") + (table.kind == box::TableKind::Ntc ? "ntc" : "rtd") +
            "\"\nrows = [  # \u00B0C, ohms\n";
    for (const box::TableRow &row : table.rows)
        text += "  [" + general(row.celsius) + ", " + general(row.ohms) + "],\n";
    return text + "]\n";
}

}  // namespace

Status applyProfile(const profile::Profile &profile, bool trueOhms, RunPlan &plan) {
    const profile::BoxRules rules(profile);
    if (trueOhms && !profile.table)
        return Status::failure(Status::kFailed,
                               "--true needs a correction table ([table]) in the box's profile");
    for (auto &point : plan.points)
        if (Status status = adjust(rules, trueOhms, point.setpoint); !status) return status;
    if (plan.finalPoint) return adjust(rules, trueOhms, *plan.finalPoint);
    return {};
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
    // The final value follows whichever point the run ends on.
    if (plan.finalPoint) {
        status = profile::checkValue(limits, *box::commandOhms(plan.finalPoint->command));
        if (!status)
            return Status::failure(status.number(),
                                   "--final " + plan.finalPoint->command + ": " + status.text());
    }
    return {};
}

std::string profileText(const profile::Profile &p) {
    std::string text;
    text += "serial = \"" + p.serial + "\"\n";
    text += "name = \"" + p.name + "\"\n";
    text += "lead_offset = " + fixed(p.leadOffsetOhms, 3) + "\n";
    text += "\n[limits]\nmin = " + fixed(p.limits.minOhms) + "\nmax = " + fixed(p.limits.maxOhms) +
            "\n";
    if (p.limits.maxChangeOhms) text += "max_change = " + fixed(*p.limits.maxChangeOhms) + "\n";
    if (!p.table) {
        text += "\n# no correction table: nominal values only\n";
    } else {
        text += "\n[table]\nzero = " + fixed(p.table->zeroOhms, 4) + "\n";
        if (!p.table->measured.empty()) text += "measured = " + p.table->measured + "\n";
        if (!p.table->due.empty()) text += "due = " + p.table->due + "\n";
        static constexpr const char *kKeys[] = {"decade_0_1", "decade_1",    "decade_10",
                                                "decade_100", "decade_1000", "decade_10000"};
        for (int decade = 0; decade < box::kDigits; ++decade) {
            text += std::string(kKeys[decade]) + " = [";
            for (int k = 0; k < 9; ++k)
                text += (k ? ", " : "") + fixed(p.table->steps[decade][k], 4);
            text += "]\n";
        }
    }
    for (const box::UserSensor &sensor : p.sensors) text += "\n" + sensorText(sensor);
    return text;
}

}  // namespace zz::ctl
