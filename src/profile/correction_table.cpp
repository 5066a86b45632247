#include "profile/correction_table.h"

namespace zz::profile {

double CorrectionTable::trueOhms(const std::array<int, box::kDigits> &digitsHighFirst) const {
    double sum = zeroOhms;
    for (int decade = 0; decade < box::kDigits; ++decade) {
        const int digit = digitsHighFirst[box::kDigits - 1 - decade];
        if (digit > 0) sum += steps[decade][digit - 1];
    }
    return sum;
}

CorrectionTable nominalTable() {
    CorrectionTable table;
    for (int decade = 0; decade < box::kDigits; ++decade)
        for (int k = 1; k <= 9; ++k) table.steps[decade][k - 1] = k * kDecadeOhms[decade];
    return table;
}

}  // namespace zz::profile
