#pragma once
// The box's calibration certificate as numbers: the measured resistance of
// each step 1 to 9 of each of the six decades, and the residual the box
// shows at 00000.0. The box presents the residual plus, for each decade, the
// measured value of its digit (nothing for a 0).

#include "box/range.h"

#include <array>
#include <string>

namespace zz::profile {

// Decade 0 is the 0.1 Ω decade, decade 5 the 10 kΩ one.
inline constexpr std::array<double, box::kDigits> kDecadeOhms{0.1, 1, 10, 100, 1000, 10000};

struct CorrectionTable {
    // steps[decade][k - 1]: measured ohms of that decade set to k.
    std::array<std::array<double, 9>, box::kDigits> steps{};
    double zeroOhms = 0.0;
    std::string measured;  // "2026-01-10"
    std::string due;

    // What the box presents for six digits, the 10 kΩ digit first.
    double trueOhms(const std::array<int, box::kDigits> &digitsHighFirst) const;
};

// A table whose measured values are exactly the nominal ones.
CorrectionTable nominalTable();

}  // namespace zz::profile
