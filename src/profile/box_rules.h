#pragma once
// The one place every front end asks what a box's profile allows: whether
// anything may be sent at all (a profile that cannot be read stops the port
// until it is mended), whether a value lies inside the limits, and which
// digits to send for a value (the lead offset for sensor values, the
// correction table's nearest digits in true mode).
#include "common/status.h"
#include "profile/profile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zz::profile {

enum class SetMode { Nominal, True };

// One value made ready for the box.
struct PreparedValue {
    std::string command;             // "00999.9"
    double ohms = 0;                 // the resistance asked for at the box's terminals
    std::optional<double> trueOhms;  // what the box presents, in true mode
};

class BoxRules {
public:
    // No profile: everything as without one.
    BoxRules() = default;
    explicit BoxRules(Profile profile) : profile_(std::move(profile)) {}
    // What loadProfile said of `path`: a profile, none, or the refusal.
    static BoxRules fromLoaded(const Outcome<std::optional<Profile>> &loaded);

    // Refused while the profile cannot be read: "the profile FILE:LINE: why;
    // nothing is sent to this port until it is mended".
    Status usable() const;
    const std::optional<Profile> &profile() const { return profile_; }
    bool hasTable() const { return profile_ && profile_->table.has_value(); }

    // The lowest and highest value one may set: the limits, else the box's range.
    double minOhms() const;
    double maxOhms() const;

    // Whether one command (ohms, or its text "02100.0") may go out after
    // `last`; the refusal reads "above the limit 2000.0 Ω of this box's profile".
    Status checkOhms(double ohms, std::optional<double> last = std::nullopt) const;
    Status checkCommand(std::string_view command, std::optional<double> last = std::nullopt) const;
    // Every command of an action that sends several, in order.
    Status checkCommands(const std::vector<std::string> &commands,
                         std::optional<double> last = std::nullopt) const;

    // The digits for `ohms`: a sensor's value less the lead offset; in true
    // mode those whose measured sum comes nearest (refused without a table).
    // The limits are checked on the command that results.
    Outcome<PreparedValue> prepare(double ohms, bool sensorValue, SetMode mode,
                                   std::optional<double> last = std::nullopt) const;
    // The same without the limits, for a run whose commands are checked
    // together before the first goes out.
    Outcome<PreparedValue> convert(double ohms, bool sensorValue, SetMode mode) const;

    // "00999.9 → 999.97 Ω true" for the digits held; empty without a table.
    std::string trueText(std::string_view command) const;
    // What the box presents for those digits by the table; nothing without one.
    std::optional<double> trueOhms(std::string_view command) const;

    // The table's warning once its due date ("2027-01-10") is before `today`;
    // empty otherwise.
    std::string overdueWarning(const std::string &today) const;

    // The serial number and name to show, "0" and "" when not given.
    std::string serialOrZero() const;
    std::string name() const;

private:
    std::optional<Profile> profile_;
    std::string refusal_;  // non-empty: the profile was refused
};

// Today's local date as profiles write dates ("2027-02-01").
std::string todayText();

}  // namespace zz::profile
