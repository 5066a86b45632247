#pragma once
// Who gets a slot when all are taken: the connection silent the longest
// makes room if it has been silent at least the idle limit; otherwise the
// newcomer is refused. So idle sockets (a crashed script, a scanner) cannot
// lock everyone out for longer than the limit. SCPI clients and pages alike.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zz::net {

using SteadyTime = std::chrono::steady_clock::time_point;

inline constexpr std::chrono::milliseconds kDefaultIdleLimit{60'000};

// The index of the connection to close for a newcomer, or nothing: refuse.
std::optional<std::size_t> pickEviction(const std::vector<SteadyTime> &lastHeard, SteadyTime now,
                                        std::chrono::milliseconds idleLimit);

// "60 s", "800 ms".
std::string durationText(std::chrono::milliseconds span);

class SlotRule {
public:
    // `noun` counts the slots in the log: "clients", "pages".
    SlotRule(std::size_t count, std::chrono::milliseconds idleLimit, std::string noun)
        : slots_(count), idleLimit_(idleLimit), noun_(std::move(noun)) {}

    struct Verdict {
        bool admitted = true;
        std::optional<std::size_t> evicted;  // this one makes room
        std::string refusal;                 // why not, when not admitted
        std::string eviction;                // the evicted one's closing words
    };
    // `peer` names the newcomer as the log does.
    Verdict decide(const std::vector<SteadyTime> &lastHeard, SteadyTime now,
                   const std::string &peer) const;

    std::size_t slotCount() const { return slots_; }
    // "(3 of 16 clients)".
    std::string occupancy(std::size_t taken) const;

private:
    std::size_t slots_;
    std::chrono::milliseconds idleLimit_;
    std::string noun_;
};

}  // namespace zz::net
