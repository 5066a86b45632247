#pragma once
// The one rule that turns a resistance into the instrument's command text,
// shared by the panel's direct entry and the programs without windows: rounded
// to 0.1 Ω on decimal digits (formatFixed00000_0), then the limits tested on
// the rounded text, so 99999.94 is sent as "99999.9" and 99999.95 is refused.

#include <string>

namespace zz {

inline constexpr double kMaxOhms = 99999.9;  // the six digits full

struct OhmsCommand {
    enum class Kind { Accept, TooHigh, TooLow };
    Kind kind = Kind::TooLow;
    std::string command;  // for Accept: "01234.5"
};

// Negative values (-infinity too) are too low; +infinity and NaN, which have
// no seven-character form, too high.
OhmsCommand ohmsCommand(double ohms);

}  // namespace zz
