#pragma once
// The profile of the box on the port a run uses, and what it does to the
// run's plan: the lead offset taken off sensor values, true ohms chosen from
// the correction table, and the limits checked over the whole plan before
// its first command.

#include "common/status.h"
#include "link/serial_control.h"
#include "profile/box_rules.h"
#include "profile/profile.h"
#include "program/port_selection.h"
#include "program/profile_location.h"
#include "run_plan.h"

#include <optional>
#include <string>
#include <vector>

namespace zz::ctl {

using program::profilePathFor;

// Sensor values less the lead offset, then with `trueOhms` the digits the
// table says come nearest. Refused without a table, or when a value leaves
// the box's range.
Status applyProfile(const profile::Profile &profile, bool trueOhms, RunPlan &plan);

// Every command of the plan inside the limits, the first change measured
// from `last` (the device's last-command record); the final value too, and
// within the largest change of every point and of `last`, since a run may
// end anywhere.
Status checkPlanLimits(const profile::Limits &limits, const RunPlan &plan,
                       std::optional<double> last = std::nullopt);

// Whether the final value's command may follow `ohms`, which `where` names
// ("point 2 of 2 (01100.0)"); the refusal names both and the change.
Status checkFinalAfter(const profile::Limits &limits, const std::string &final, double ohms,
                       const std::string &where);

// The sensors of the profile of the port `request` leads to, for the help;
// none when there is no port, no profile or a profile that cannot be read.
std::vector<box::UserSensor> profileSensorsFor(const program::PortRequest &request);

// "the correction table of this box's profile was due on 2027-01-10" when
// `today` ("2027-02-01") is past its due date; empty otherwise.
inline std::string overdueWarning(const profile::Profile &profile, const std::string &today) {
    return profile::BoxRules(profile).overdueWarning(today);
}
using profile::todayText;

}  // namespace zz::ctl
