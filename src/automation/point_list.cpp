#include "automation/point_list.h"

#include "automation/duration_text.h"
#include "automation/sweep_points.h"
#include "common/decimal_text.h"

#include <string_view>

namespace zz::automation {

Outcome<std::vector<TimedSetpoint>> readPointList(std::istream &in, const std::string &source,
                                                  const ValueReading &reading,
                                                  std::chrono::nanoseconds defaultDwell) {
    using Result = Outcome<std::vector<TimedSetpoint>>;
    std::vector<TimedSetpoint> points;
    std::string text;
    for (long line = 1; std::getline(in, text); ++line) {
        const auto fail = [&](const std::string &why) {
            return Result::failure(source + ":" + std::to_string(line) + ": " + why);
        };
        std::string_view content = text;
        content = common::trimBlanks(content.substr(0, content.find('#')));
        if (content.empty()) continue;

        const auto comma = content.find(',');
        const auto point = reading.readSetpoint(content.substr(0, comma));
        if (!point) return fail(point.error());
        auto dwell = defaultDwell;
        if (comma != content.npos) {
            const auto read = readDuration(content.substr(comma + 1));
            if (!read) return fail(read.error());
            dwell = read.value();
        }
        if (points.size() == kMaxPoints)
            return fail("more than " + std::to_string(kMaxPoints) + " points");
        points.push_back({point.value(), dwell});
    }
    if (in.bad()) return Result::failure(source + ": could not be read to its end");
    if (points.empty()) return Result::failure(source + ": no points in the list");
    return points;
}

}  // namespace zz::automation
