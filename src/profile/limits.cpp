#include "profile/limits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zz::profile {

namespace {

// Values are compared on the box's 0.1 Ω grid, so "2000" and 2000.04 agree.
long long tenths(double ohms) {
    return std::llround(ohms * 10.0);
}

// A limit off that grid is taken inwards: a highest 2000.05 allows 02000.0,
// never 02000.1, and a lowest 10.04 allows 00010.1. The slack only absorbs
// the binary form of decimals (2000.3 * 10 is not quite 20003).
constexpr double kSlack = 1e-6;
long long highestTenths(double limit) {
    return static_cast<long long>(std::floor(limit * 10.0 + kSlack));
}
long long lowestTenths(double limit) {
    return static_cast<long long>(std::ceil(limit * 10.0 - kSlack));
}

// "2000.0 Ω": one decimal, as the box's own steps.
std::string tenthsText(long long tenths) {
    char text[48];
    std::snprintf(text, sizeof text, "%.1f \u03A9", static_cast<double>(tenths) / 10.0);
    return text;
}
std::string ohmsText(double ohms) {
    return tenthsText(tenths(ohms));
}

}  // namespace

double highestOnGrid(const Limits &limits) {
    return static_cast<double>(highestTenths(limits.maxOhms)) / 10.0;
}

double lowestOnGrid(const Limits &limits) {
    return static_cast<double>(lowestTenths(limits.minOhms)) / 10.0;
}

std::optional<double> largestChangeOnGrid(const Limits &limits) {
    if (!limits.maxChangeOhms) return std::nullopt;
    return static_cast<double>(highestTenths(*limits.maxChangeOhms)) / 10.0;
}

Status checkValue(const Limits &limits, double ohms, std::optional<double> last) {
    if (!std::isfinite(ohms) || tenths(ohms) > highestTenths(limits.maxOhms))
        return Status::failure(Status::kFailed, "above the limit " +
                                                    tenthsText(highestTenths(limits.maxOhms)) +
                                                    " of this box's profile");
    if (tenths(ohms) < lowestTenths(limits.minOhms))
        return Status::failure(Status::kFailed, "below the limit " +
                                                    tenthsText(lowestTenths(limits.minOhms)) +
                                                    " of this box's profile");
    if (last && limits.maxChangeOhms &&
        std::llabs(tenths(ohms) - tenths(*last)) > highestTenths(*limits.maxChangeOhms))
        return Status::failure(Status::kFailed,
                               "a change of " + ohmsText(std::fabs(ohms - *last)) + " from " +
                                   ohmsText(*last) + ", above the limit " +
                                   tenthsText(highestTenths(*limits.maxChangeOhms)) +
                                   " per command of this box's profile");
    return {};
}

Status checkSequence(const Limits &limits, const std::vector<double> &ohms,
                     std::optional<double> last) {
    for (std::size_t i = 0; i < ohms.size(); ++i) {
        if (const Status status = checkValue(limits, ohms[i], last); !status)
            return Status::failure(status.number(), "command " + std::to_string(i + 1) + " of " +
                                                        std::to_string(ohms.size()) + " (" +
                                                        ohmsText(ohms[i]) + "): " + status.text());
        last = ohms[i];
    }
    return {};
}

}  // namespace zz::profile
