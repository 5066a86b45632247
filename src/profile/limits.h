#pragma once
// The limits a box's profile sets to protect the unit under test: a lowest
// and highest resistance and, optionally, the largest change one command may
// make. Every front end asks the same two questions before anything goes out.

#include "box/range.h"
#include "common/status.h"

#include <optional>
#include <vector>

namespace zz::profile {

struct Limits {
    double minOhms = box::kMinOhms;
    double maxOhms = box::kMaxOhms;
    std::optional<double> maxChangeOhms;  // per command
};

// The lowest and highest values the limits allow on the box's 0.1 Ω steps
// (a limit between two steps is taken inwards).
double lowestOnGrid(const Limits &limits);
double highestOnGrid(const Limits &limits);
std::optional<double> largestChangeOnGrid(const Limits &limits);

// Whether one command of `ohms` may go out after `last` (nothing: no known
// last value, so no change is checked). The refusal reads "above the limit
// 2000.0 Ω of this box's profile".
Status checkValue(const Limits &limits, double ohms, std::optional<double> last = std::nullopt);

// Whether every command of an action that sends several lies inside the
// limits, each change measured from the one before; the refusal names the
// first command that does not ("command 3 of 5 (02100.0): above ...").
Status checkSequence(const Limits &limits, const std::vector<double> &ohms,
                     std::optional<double> last = std::nullopt);

}  // namespace zz::profile
