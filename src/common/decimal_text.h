#pragma once
// The plain decimal numbers of the command-line readers ("1.5", "-40",
// "2.5e3"), and numbers written back for people to read.

#include <optional>
#include <string>
#include <string_view>

namespace zz::common {

struct ScannedNumber {
    double value = 0.0;
    std::size_t length = 0;  // characters taken from the text
};

// The decimal number at the start of `text` (common/numeral.h: optional
// sign, digits with at most one point, optional exponent; "5e" is 5 and the
// letter e). Nothing when the text does not start with one or it lies beyond
// the range of a double, too large or too small; no "inf", "nan" or
// hexadecimal forms.
std::optional<ScannedNumber> scanDecimal(std::string_view text);

// The whole text as such a number, blanks around it allowed.
std::optional<double> readDecimal(std::string_view text);

std::string_view trimBlanks(std::string_view text);

// At most `decimals` places, trailing zeros dropped down to `fewest` places:
// 138.5055, 100, -0.25; with one place at least 0.0, 100.0. A value that
// shows as zero has no minus sign.
std::string decimalText(double value, int decimals = 4, int fewest = 0);

}  // namespace zz::common
