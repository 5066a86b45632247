#pragma once
// The program's one way of reading a number from a text: the longest number
// at the start of the text, the rest ignored.
//
//  - blanks, tabs and line feeds are skipped wherever they stand;
//  - an optional sign, digits with at most one ".", then optionally an
//    exponent ("E" or "D", optional sign, digits);
//  - "&H" / "&O" introduce a hexadecimal / octal whole number;
//  - reading stops at the first character that does not fit;
//  - a text that does not begin with a number gives 0;
//  - only "." is the decimal point, whatever the locale.

#include <string_view>

namespace zz::common {

struct LeadingNumber {
    double value = 0.0;
    // The numeral was beyond the range of a double: value is +/-infinity.
    bool overflow = false;
};

LeadingNumber readLeadingNumber(std::string_view text);

// Shorthand for callers that only want the value (overflow gives +/-infinity).
inline double leadingNumber(std::string_view text) {
    return readLeadingNumber(text).value;
}

}  // namespace zz::common
