#pragma once
// The values of a sweep, in the order they are sent. Both directions; an end
// is included when it falls on the grid (FROM always does). The values are
// worked out from FROM and the point's index, never summed step by step, so
// no error builds up along a long sweep.

#include "common/status.h"

#include <cstddef>
#include <vector>

namespace zz::automation {

// Enough for days of points at a millisecond; more is a typing mistake.
inline constexpr std::size_t kMaxPoints = 1'000'000;

// FROM, FROM ± STEP, ... towards TO; STEP greater than zero.
Outcome<std::vector<double>> linearPoints(double from, double to, double step);

// N points per decade: FROM · 10^(i/N) towards TO; both ends greater than zero.
Outcome<std::vector<double>> logPoints(double from, double to, int perDecade);

// The whole list `times` times over (at least once), within kMaxPoints.
Outcome<std::vector<double>> repeated(const std::vector<double> &points, int times);

}  // namespace zz::automation
