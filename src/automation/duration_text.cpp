#include "automation/duration_text.h"

#include "common/decimal_text.h"

#include <cmath>
#include <string>
#include <utility>

namespace zz::automation {

Outcome<std::chrono::nanoseconds> readDuration(std::string_view text) {
    using Result = Outcome<std::chrono::nanoseconds>;
    text = common::trimBlanks(text);
    const auto refused = [&] {
        return Result::failure("cannot read \"" + std::string(text) +
                               "\" as a duration (for example 500ms, 2s, 1.5min)");
    };
    const auto number = common::scanDecimal(text);
    if (!number) return refused();
    const std::string_view unit = common::trimBlanks(text.substr(number->length));
    static const std::pair<std::string_view, double> kUnits[] = {
        {"", 1.0},         {"s", 1.0},    {"ms", 1e-3}, {"us", 1e-6},
        {"\u00B5s", 1e-6}, {"min", 60.0}, {"h", 3600.0}};
    for (const auto &[name, seconds] : kUnits) {
        if (unit != name) continue;
        const double total = number->value * seconds;
        constexpr double kWeek = 7 * 24 * 3600.0;
        if (text[0] == '-' && total != 0.0)
            return Result::failure("negative duration \"" + std::string(text) + "\"");
        if (total > kWeek)
            return Result::failure("duration \"" + std::string(text) + "\" is longer than a week");
        return std::chrono::nanoseconds(std::llround(total * 1e9));
    }
    return refused();
}

}  // namespace zz::automation
