#include "vxi11/record_marking.h"

#include <algorithm>

namespace zz::vxi11 {

namespace {

constexpr std::uint32_t kLastFragment = 0x80000000u;

}  // namespace

bool RecordFramer::feed(std::span<const std::uint8_t> bytes) {
    while (!failed_ && !bytes.empty()) {
        if (fragmentLeft_ == 0 && markHave_ < 4) {
            mark_[markHave_++] = bytes.front();
            bytes = bytes.subspan(1);
            if (markHave_ < 4) continue;
            const std::uint32_t mark = std::uint32_t{mark_[0]} << 24 |
                                       std::uint32_t{mark_[1]} << 16 |
                                       std::uint32_t{mark_[2]} << 8 | std::uint32_t{mark_[3]};
            lastFragment_ = (mark & kLastFragment) != 0;
            fragmentLeft_ = mark & ~kLastFragment;
            if (fragmentLeft_ > maxRecord_ - record_.size()) {
                failed_ = true;
                break;
            }
        }
        const std::size_t take = std::min(fragmentLeft_, bytes.size());
        record_.insert(record_.end(), bytes.begin(),
                       bytes.begin() + static_cast<std::ptrdiff_t>(take));
        bytes = bytes.subspan(take);
        fragmentLeft_ -= take;
        if (fragmentLeft_ == 0) {
            markHave_ = 0;  // the next mark follows
            if (lastFragment_) {
                done_.push_back(std::move(record_));
                record_.clear();
                lastFragment_ = false;
            }
        }
    }
    return !failed_;
}

std::optional<std::vector<std::uint8_t>> RecordFramer::next() {
    if (done_.empty()) return std::nullopt;
    auto record = std::move(done_.front());
    done_.pop_front();
    return record;
}

std::vector<std::uint8_t> frameRecord(std::span<const std::uint8_t> record,
                                      std::size_t maxFragment) {
    maxFragment = std::clamp<std::size_t>(maxFragment, 1, 0x7fffffff);
    std::vector<std::uint8_t> out;
    out.reserve(record.size() + 4 * (record.size() / maxFragment + 1));
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(maxFragment, record.size() - at);
        const bool last = at + length == record.size();
        const std::uint32_t mark = static_cast<std::uint32_t>(length) | (last ? kLastFragment : 0);
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<std::uint8_t>(mark >> shift));
        out.insert(out.end(), record.begin() + static_cast<std::ptrdiff_t>(at),
                   record.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < record.size());
    return out;
}

}  // namespace zz::vxi11
