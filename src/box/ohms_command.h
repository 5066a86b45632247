#pragma once
// The one rule that turns a resistance into the box's command text, and the
// way back: rounded to 0.1 Ω on decimal digits (formatFixed00000_0), then
// the limits tested on the rounded text, so 99999.94 is sent as "99999.9"
// and 99999.95 is refused.

#include "common/status.h"

#include <optional>
#include <string>
#include <string_view>

namespace zz::box {

// Why a resistance has no command; the numbers of the failing Status.
enum Refusal { TooLow = 1, TooHigh = 2 };

// "01234.5" for 1234.5. Negative values (-infinity too) are too low;
// +infinity and NaN, which have no seven-character form, too high.
Outcome<std::string> ohmsCommand(double ohms);

// The value of a command text our senders write ("01234.5", "0.1",
// "10000"); nothing for anything else, or a value outside the range.
std::optional<double> commandOhms(std::string_view command);

}  // namespace zz::box
