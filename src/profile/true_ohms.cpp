#include "profile/true_ohms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zz::profile {

namespace {

using Digits = std::array<int, box::kDigits>;  // the 10 kΩ digit first

// Branch and bound from the highest decade down: a digit is followed only
// when the lowest and highest sums the decades below can still add leave
// room to come nearer than the best found.
class Search {
public:
    Search(const CorrectionTable &table, double target) : table_(table), target_(target) {
        for (int decade = 0; decade < box::kDigits; ++decade) {
            double lo = 0, hi = 0;  // a digit 0 adds nothing
            for (double step : table.steps[decade]) {
                lo = std::min(lo, step);
                hi = std::max(hi, step);
            }
            belowLo_[decade + 1] = belowLo_[decade] + lo;
            belowHi_[decade + 1] = belowHi_[decade] + hi;
        }
    }

    void start(const Digits &first) {
        best_ = first;
        bestDistance_ = std::fabs(table_.trueOhms(first) - target_);
        Digits digits{};
        descend(box::kDigits - 1, table_.zeroOhms, digits);
    }
    const Digits &best() const { return best_; }

private:
    void descend(int decade, double sum, Digits &digits) {
        if (decade < 0) {
            if (const double distance = std::fabs(sum - target_); distance < bestDistance_) {
                bestDistance_ = distance;
                best_ = digits;
            }
            return;
        }
        // The digits whose reach lies nearest the target first: the first
        // descent is then a good guess and bounds the rest tightly.
        std::array<double, 10> with{}, gap{};
        std::array<int, 10> order{};
        for (int digit = 0; digit <= 9; ++digit) {
            with[digit] = sum + (digit ? table_.steps[decade][digit - 1] : 0.0);
            // Every sum still reachable lies in [lowest, highest].
            const double lowest = with[digit] + belowLo_[decade];
            const double highest = with[digit] + belowHi_[decade];
            gap[digit] = target_ < lowest    ? lowest - target_
                         : target_ > highest ? target_ - highest
                                             : 0.0;
            order[digit] = digit;
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return gap[a] < gap[b] || (gap[a] == gap[b] &&
                                       std::fabs(with[a] - target_) < std::fabs(with[b] - target_));
        });
        for (const int digit : order) {
            if (gap[digit] >= bestDistance_) break;
            digits[box::kDigits - 1 - decade] = digit;
            descend(decade - 1, with[digit], digits);
        }
        digits[box::kDigits - 1 - decade] = 0;
    }

    const CorrectionTable &table_;
    double target_;
    std::array<double, box::kDigits + 1> belowLo_{}, belowHi_{};  // [d]: decades 0..d-1
    Digits best_{};
    double bestDistance_ = 0;
};

Digits nominalDigits(double ohms) {
    const double tenths = std::clamp(std::round(ohms * 10.0), 0.0, 999999.0);
    long long n = static_cast<long long>(tenths);
    Digits digits{};
    for (int i = box::kDigits - 1; i >= 0; --i, n /= 10) digits[i] = static_cast<int>(n % 10);
    return digits;
}

std::string commandText(const Digits &d) {
    char text[8];
    std::snprintf(text, sizeof text, "%d%d%d%d%d.%d", d[0], d[1], d[2], d[3], d[4], d[5]);
    return text;
}

}  // namespace

TrueSetting nearestTrueSetting(const CorrectionTable &table, double targetOhms) {
    Search search(table, targetOhms);
    search.start(nominalDigits(targetOhms - table.zeroOhms));
    return {commandText(search.best()), table.trueOhms(search.best())};
}

std::string describeTrueSetting(const TrueSetting &setting) {
    char text[64];
    std::snprintf(text, sizeof text, "%s \u2192 %.2f \u03A9 true", setting.command.c_str(),
                  setting.trueOhms);
    return text;
}

}  // namespace zz::profile
