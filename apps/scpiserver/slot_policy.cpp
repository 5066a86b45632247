#include "slot_policy.h"

#include <algorithm>

namespace zz::scpiserver {

std::optional<std::size_t> pickEviction(const std::vector<SteadyTime> &lastHeard, SteadyTime now,
                                        std::chrono::milliseconds idleLimit) {
    if (lastHeard.empty()) return std::nullopt;
    const auto oldest = std::min_element(lastHeard.begin(), lastHeard.end());
    if (now - *oldest < idleLimit) return std::nullopt;
    return std::size_t(oldest - lastHeard.begin());
}

}  // namespace zz::scpiserver
