#include "profile/box_rules.h"

#include "box/ohms_command.h"
#include "box/range.h"
#include "common/local_time.h"
#include "profile/true_ohms.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace zz::profile {

namespace {

std::string fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

BoxRules BoxRules::fromLoaded(const Outcome<std::optional<Profile>> &loaded) {
    BoxRules rules;
    if (!loaded) {
        rules.refusal_ = loaded.error().empty() ? "the profile cannot be read" : loaded.error();
        return rules;
    }
    rules.profile_ = loaded.value();
    return rules;
}

Status BoxRules::usable() const {
    if (refusal_.empty()) return {};
    return Status::failure(
        Status::kFailed,
        "the profile " + refusal_ + "; nothing is sent to this port until it is mended");
}

double BoxRules::minOhms() const {
    return profile_ ? lowestOnGrid(profile_->limits) : box::kMinOhms;
}

double BoxRules::maxOhms() const {
    return profile_ ? highestOnGrid(profile_->limits) : box::kMaxOhms;
}

Status BoxRules::checkOhms(double ohms, std::optional<double> last) const {
    if (Status status = usable(); !status) return status;
    if (!profile_) return {};
    return checkValue(profile_->limits, ohms, last);
}

Status BoxRules::checkCommand(std::string_view command, std::optional<double> last) const {
    if (Status status = usable(); !status) return status;
    const auto ohms = box::commandOhms(command);
    // Not a value (a command of another kind): the limits have nothing to say.
    if (!ohms || !profile_) return {};
    return checkValue(profile_->limits, *ohms, last);
}

Status BoxRules::checkCommands(const std::vector<std::string> &commands,
                               std::optional<double> last) const {
    if (Status status = usable(); !status) return status;
    if (!profile_) return {};
    std::vector<double> ohms;
    ohms.reserve(commands.size());
    for (const auto &command : commands)
        if (const auto value = box::commandOhms(command)) ohms.push_back(*value);
    return checkSequence(profile_->limits, ohms, last);
}

Outcome<PreparedValue> BoxRules::prepare(double ohms, bool sensorValue, SetMode mode,
                                         std::optional<double> last) const {
    auto value = convert(ohms, sensorValue, mode);
    if (!value) return value;
    if (Status status = checkCommand(value.value().command, last); !status) return status;
    return value;
}

Outcome<PreparedValue> BoxRules::convert(double ohms, bool sensorValue, SetMode mode) const {
    if (Status status = usable(); !status) return status;
    PreparedValue value;
    value.ohms = ohms;
    if (sensorValue && profile_) value.ohms -= profile_->leadOffsetOhms;  // the leads add the rest
    if (mode == SetMode::True) {
        if (!hasTable())
            return Outcome<PreparedValue>::failure(
                "true values need a correction table ([table]) in the box's profile");
        // The box's range as the table measures it: 99999.9 may present
        // more than 99999.9 Ω, and 00000.0 its residual.
        const CorrectionTable &table = *profile_->table;
        const double lowest = table.trueOhms({0, 0, 0, 0, 0, 0});
        const double highest = table.trueOhms({9, 9, 9, 9, 9, 9});
        if (value.ohms < lowest - 0.05 || value.ohms > highest + 0.05)
            return Outcome<PreparedValue>::failure(fixed(value.ohms, 2) +
                                                   " \u03A9 is outside the box's range");
        const TrueSetting setting = nearestTrueSetting(*profile_->table, value.ohms);
        value.command = setting.command;
        value.trueOhms = setting.trueOhms;
    } else {
        auto command = box::ohmsCommand(value.ohms);
        if (!command) {
            if (value.ohms == ohms) return command.status();
            return Outcome<PreparedValue>::failure(
                fixed(ohms, 4) + " \u03A9 less the lead offset " +
                fixed(profile_->leadOffsetOhms, 2) + " \u03A9 is outside the box's range");
        }
        value.command = std::move(command.value());
    }
    return value;
}

std::string BoxRules::trueText(std::string_view command) const {
    const auto ohms = trueOhms(command);
    if (!ohms) return {};
    return describeTrueSetting({std::string(command), *ohms});
}

std::optional<double> BoxRules::trueOhms(std::string_view command) const {
    const auto ohms = box::commandOhms(command);
    if (!hasTable() || !ohms) return std::nullopt;
    // The digits from the value, so that "10000" and "0.1" read as "10000.0" and "00000.1".
    long long tenths = std::llround(*ohms * 10.0);
    std::array<int, box::kDigits> digits{};
    for (int at = box::kDigits - 1; at >= 0; --at, tenths /= 10) digits[at] = int(tenths % 10);
    return profile_->table->trueOhms(digits);
}

std::string BoxRules::overdueWarning(const std::string &today) const {
    // ISO dates compare as text.
    if (!hasTable() || profile_->table->due.empty() || profile_->table->due >= today) return {};
    return "the correction table of this box's profile was due on " + profile_->table->due +
           "; its true values may be off";
}

std::string BoxRules::serialOrZero() const {
    return profile_ && !profile_->serial.empty() ? profile_->serial : "0";
}

std::string BoxRules::name() const {
    return profile_ ? profile_->name : std::string();
}

std::string todayText() {
    const std::tm local = common::localTime(std::time(nullptr));
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

}  // namespace zz::profile
