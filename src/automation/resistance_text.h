#pragma once
// Resistances as people write them on a command line or in a list file.
//
//  - a number of ohms with an optional SI prefix and unit: "1234.5", "1.5k",
//    "1.5 kΩ", "1.5kohm", "250m" (milli), "0.05M" (mega), "2.2 MΩ";
//    case matters for m and M, "k" and "K" both mean kilo;
//  - the resistor code of IEC 60062, the letter standing for the decimal
//    point and the multiplier: "4k7", "1k2", "0R1", "R47", "100R", "2M2",
//    "1L5" (L or m: milli).
//
// A minus sign is refused with its own message; the range of the box is
// checked later, on the rounded command (common/ohms_command.h).

#include "common/status.h"

#include <string_view>

namespace zz::automation {

Outcome<double> readResistance(std::string_view text);

}  // namespace zz::automation
