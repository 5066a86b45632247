#include "automation/sweep_points.h"

#include <cmath>
#include <string>

namespace zz::automation {

namespace {

using Points = Outcome<std::vector<double>>;

// Steps that land within this fraction of a step of TO count as landing on it.
constexpr double kOnGrid = 1e-9;

Points tooMany(double count) {
    return Points::failure("the sweep would have " + std::to_string(std::llround(count)) +
                           " points, more than " + std::to_string(kMaxPoints));
}

// The index of the last grid point not beyond TO, and whether TO is on the grid.
struct Span {
    double steps;
    bool onGrid;
};
Span spanOf(double gridSteps) {
    const double nearest = std::round(gridSteps);
    if (std::fabs(gridSteps - nearest) <= kOnGrid * std::max(1.0, nearest)) return {nearest, true};
    return {std::floor(gridSteps), false};
}

}  // namespace

Points linearPoints(double from, double to, double step) {
    if (!(step > 0) || !std::isfinite(step))
        return Points::failure("the step must be greater than zero");
    const Span span = spanOf(std::fabs(to - from) / step);
    if (span.steps + 1 > double(kMaxPoints)) return tooMany(span.steps + 1);
    const double direction = to < from ? -1.0 : 1.0;
    std::vector<double> points;
    const auto n = static_cast<std::size_t>(span.steps);
    points.reserve(n + 1);
    for (std::size_t i = 0; i <= n; ++i) points.push_back(from + direction * double(i) * step);
    if (span.onGrid) points.back() = to;
    return points;
}

Points logPoints(double from, double to, int perDecade) {
    if (perDecade < 1) return Points::failure("the points per decade must be at least 1");
    if (!(from > 0) || !(to > 0))
        return Points::failure("a logarithmic sweep needs both ends greater than zero");
    const Span span = spanOf(std::fabs(std::log10(to / from)) * perDecade);
    if (span.steps + 1 > double(kMaxPoints)) return tooMany(span.steps + 1);
    const double direction = to < from ? -1.0 : 1.0;
    std::vector<double> points;
    const auto n = static_cast<std::size_t>(span.steps);
    points.reserve(n + 1);
    for (std::size_t i = 0; i <= n; ++i)
        points.push_back(from * std::pow(10.0, direction * double(i) / perDecade));
    if (span.onGrid) points.back() = to;
    return points;
}

Points repeated(const std::vector<double> &points, int times) {
    if (times < 1) return Points::failure("the repeat count must be at least 1");
    const double total = double(points.size()) * times;
    if (total > double(kMaxPoints)) return tooMany(total);
    std::vector<double> all;
    all.reserve(static_cast<std::size_t>(total));
    for (int i = 0; i < times; ++i) all.insert(all.end(), points.begin(), points.end());
    return all;
}

}  // namespace zz::automation
