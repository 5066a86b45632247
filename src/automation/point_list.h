#pragma once
// List files: one point per line, "value[,dwell]"; "#" starts a comment;
// blank lines are skipped. Values are read as the run reads them
// (resistances or temperatures); a line without a dwell takes the default.
// The first line that cannot be read stops the reading, so nothing of a bad
// list is ever sent.

#include "automation/setpoint.h"
#include "common/status.h"

#include <chrono>
#include <istream>
#include <string>
#include <vector>

namespace zz::automation {

struct TimedSetpoint {
    Setpoint setpoint;
    std::chrono::nanoseconds dwell{};  // from this command's start to the next one's
};

// `source` names the list in messages: "points.txt:3: cannot read ...".
Outcome<std::vector<TimedSetpoint>> readPointList(std::istream &in, const std::string &source,
                                                  const ValueReading &reading,
                                                  std::chrono::nanoseconds defaultDwell);

}  // namespace zz::automation
