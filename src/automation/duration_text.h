#pragma once
// Durations as people write them: "500ms", "2s", "1.5min", "1h", "250us";
// a bare number is in seconds. From zero up to a week.

#include "common/status.h"

#include <chrono>
#include <string_view>

namespace zz::automation {

Outcome<std::chrono::nanoseconds> readDuration(std::string_view text);

}  // namespace zz::automation
