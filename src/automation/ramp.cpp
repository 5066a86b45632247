#include "automation/ramp.h"

#include "box/ohms_command.h"
#include "box/range.h"

#include <cmath>

namespace zz::automation {

using namespace std::chrono;

Outcome<Ramp> Ramp::atRate(double from, double to, double perSecond) {
    if (!(perSecond > 0) || !std::isfinite(perSecond) || !std::isfinite(from) || !std::isfinite(to))
        return Outcome<Ramp>::failure("a ramp's rate must be greater than zero");
    const double seconds = std::fabs(to - from) / perSecond;
    // Beyond that no ramp is meant; it also keeps the nanoseconds finite.
    if (seconds > 100 * 86400.0)
        return Outcome<Ramp>::failure("the ramp would take longer than 100 days");
    return Ramp{from, to, nanoseconds(std::llround(seconds * 1e9))};
}

double Ramp::valueAt(nanoseconds at) const {
    if (at <= nanoseconds::zero() || duration <= nanoseconds::zero())
        return at > duration ? to : from;
    if (at >= duration) return to;
    // From the start each time, never summed, so no error builds up.
    return from + (to - from) * (double(at.count()) / double(duration.count()));
}

namespace {

using Found = Outcome<std::optional<nanoseconds>>;

// Whether the command `at` differs from `command`; a value the box cannot
// take is an error of the ramp.
Outcome<bool> differs(const Ramp &ramp, const SetpointMaker &make, const std::string &command,
                      nanoseconds at) {
    const auto point = make(ramp.valueAt(at));
    if (!point) return Outcome<bool>::failure(point.error());
    return point.value().command != command;
}

// The moment the value's ohms cross `boundary`, by regula falsi on the
// ohms the setpoints give (a guess: rounding and tables decide in the end).
std::optional<nanoseconds> crossing(const Ramp &ramp, const SetpointMaker &make, double boundary,
                                    nanoseconds lo, nanoseconds hi) {
    const auto ohmsAt = [&](nanoseconds at) -> std::optional<double> {
        const auto point = make(ramp.valueAt(at));
        if (!point) return std::nullopt;
        return point.value().ohms - boundary;
    };
    auto flo = ohmsAt(lo), fhi = ohmsAt(hi);
    if (!flo || !fhi || (*flo > 0) == (*fhi > 0)) return std::nullopt;
    double a = double(lo.count()), b = double(hi.count()), fa = *flo, fb = *fhi;
    int side = 0;
    for (int i = 0; i < 60 && b - a > 1.0; ++i) {
        const double c = (a * fb - b * fa) / (fb - fa);
        const auto fc = ohmsAt(nanoseconds(std::llround(c)));
        if (!fc) return std::nullopt;
        if ((*fc > 0) == (fb > 0)) {
            b = c, fb = *fc;
            if (side == -1) fa /= 2;  // Illinois: keep the stale end from holding on
            side = -1;
        } else {
            a = c, fa = *fc;
            if (side == 1) fb /= 2;
            side = 1;
        }
    }
    return nanoseconds(std::llround(b));
}

}  // namespace

Found nextChange(const Ramp &ramp, const SetpointMaker &make, const std::string &command,
                 nanoseconds after) {
    if (after < nanoseconds::zero()) after = nanoseconds::zero();
    if (after > ramp.duration) return std::optional<nanoseconds>{};
    const auto atStart = differs(ramp, make, command, after);
    if (!atStart) return Found::failure(atStart.error());
    if (atStart.value()) return std::optional<nanoseconds>{after};
    const auto atEnd = differs(ramp, make, command, ramp.duration);
    if (!atEnd) return Found::failure(atEnd.error());
    if (!atEnd.value()) return std::optional<nanoseconds>{};

    // The command is unchanged at `lo` and changed at `hi`.
    nanoseconds lo = after, hi = ramp.duration;
    if (const auto ohms = box::commandOhms(command)) {
        const auto startPoint = make(ramp.valueAt(after));
        const auto endPoint = make(ramp.to);
        if (startPoint && endPoint) {
            const double up = endPoint.value().ohms >= startPoint.value().ohms ? 1.0 : -1.0;
            const double boundary = *ohms + up * box::kResolutionOhms / 2;
            if (const auto guess = crossing(ramp, make, boundary, lo, hi)) {
                // A microsecond either side of the guess, when it brackets the change.
                const nanoseconds left = std::max(lo, *guess - microseconds(1));
                const nanoseconds right = std::min(hi, *guess + microseconds(1));
                const auto l = differs(ramp, make, command, left);
                const auto r = differs(ramp, make, command, right);
                if (l && r && !l.value() && r.value()) lo = left, hi = right;
            }
        }
    }
    while (hi - lo > nanoseconds(1)) {
        const nanoseconds mid = lo + (hi - lo) / 2;
        const auto changed = differs(ramp, make, command, mid);
        if (!changed) return Found::failure(changed.error());
        (changed.value() ? hi : lo) = mid;
    }
    return std::optional<nanoseconds>{hi};
}

}  // namespace zz::automation
