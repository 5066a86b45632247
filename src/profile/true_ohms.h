#pragma once
// Setting the true resistance: the six digits whose measured sum (the
// correction table) lies nearest the target. The search is exact: every
// combination of digits that could come nearer than the best one found so
// far is looked at, so a box whose steps run long or short still gets the
// best digits it has, not the nominal rounding.

#include "profile/correction_table.h"

#include <string>

namespace zz::profile {

struct TrueSetting {
    std::string command;  // "00999.9"
    double trueOhms = 0;  // what the box presents with those digits
};

// The digits nearest `targetOhms`; ties go to the combination found first
// (the one nearest the nominal rounding).
TrueSetting nearestTrueSetting(const CorrectionTable &table, double targetOhms);

// "01000.0 → 999.97 Ω true"
std::string describeTrueSetting(const TrueSetting &setting);

}  // namespace zz::profile
