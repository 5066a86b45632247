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

// "2000.0 Ω": one decimal, as the box's own steps.
std::string ohmsText(double ohms) {
    char text[48];
    std::snprintf(text, sizeof text, "%.1f \u03A9", static_cast<double>(tenths(ohms)) / 10.0);
    return text;
}

}  // namespace

Status checkValue(const Limits &limits, double ohms, std::optional<double> last) {
    if (!std::isfinite(ohms) || tenths(ohms) > tenths(limits.maxOhms))
        return Status::failure(Status::kFailed, "above the limit " + ohmsText(limits.maxOhms) +
                                                    " of this box's profile");
    if (tenths(ohms) < tenths(limits.minOhms))
        return Status::failure(Status::kFailed, "below the limit " + ohmsText(limits.minOhms) +
                                                    " of this box's profile");
    if (last && limits.maxChangeOhms &&
        std::llabs(tenths(ohms) - tenths(*last)) > tenths(*limits.maxChangeOhms))
        return Status::failure(Status::kFailed, "a change of " + ohmsText(std::fabs(ohms - *last)) +
                                                    " from " + ohmsText(*last) +
                                                    ", above the limit " +
                                                    ohmsText(*limits.maxChangeOhms) +
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
