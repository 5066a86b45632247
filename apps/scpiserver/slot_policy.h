#pragma once
// Who gets a slot when all are taken: the connection silent the longest
// makes room if it has been silent at least the idle limit; otherwise the
// newcomer is refused. So idle sockets (a crashed script, a scanner) cannot
// lock everyone out for longer than the limit.

#include <chrono>
#include <optional>
#include <vector>

namespace zz::scpiserver {

using SteadyTime = std::chrono::steady_clock::time_point;

inline constexpr std::chrono::milliseconds kDefaultIdleLimit{60'000};

// The index of the connection to close for a newcomer, or nothing: refuse.
std::optional<std::size_t> pickEviction(const std::vector<SteadyTime> &lastHeard, SteadyTime now,
                                        std::chrono::milliseconds idleLimit);

}  // namespace zz::scpiserver
