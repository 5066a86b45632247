#include "net/slot_rule.h"

#include <algorithm>

namespace zz::net {

std::optional<std::size_t> pickEviction(const std::vector<SteadyTime> &lastHeard, SteadyTime now,
                                        std::chrono::milliseconds idleLimit) {
    if (lastHeard.empty()) return std::nullopt;
    const auto oldest = std::min_element(lastHeard.begin(), lastHeard.end());
    if (now - *oldest < idleLimit) return std::nullopt;
    return std::size_t(oldest - lastHeard.begin());
}

std::string durationText(std::chrono::milliseconds span) {
    const auto ms = span.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

SlotRule::Verdict SlotRule::decide(const std::vector<SteadyTime> &lastHeard, SteadyTime now,
                                   const std::string &peer) const {
    Verdict verdict;
    if (lastHeard.size() < slots_) return verdict;
    verdict.evicted = pickEviction(lastHeard, now, idleLimit_);
    if (!verdict.evicted) {
        verdict.admitted = false;
        verdict.refusal = peer + " refused: all " + std::to_string(slots_) + " " + noun_ +
                          " heard from within the last " + durationText(idleLimit_);
        return verdict;
    }
    const auto silent =
        std::chrono::duration_cast<std::chrono::seconds>(now - lastHeard[*verdict.evicted]);
    verdict.eviction =
        "closed: silent for " + std::to_string(silent.count()) + " s, its slot given to " + peer;
    return verdict;
}

std::string SlotRule::occupancy(std::size_t taken) const {
    return "(" + std::to_string(taken) + " of " + std::to_string(slots_) + " " + noun_ + ")";
}

}  // namespace zz::net
