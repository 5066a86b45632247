#pragma once
// The one scanner of a decimal numeral the program's number readers share:
// an optional sign, digits with at most one point (at least one digit), an
// optional exponent (a letter, an optional sign, digits; a letter without
// digits is no exponent), and its value correctly rounded however long the
// numeral is. Each reader adds its own rules: the characters it skips
// wherever they stand (the panel's blanks), the ones it allows only around
// the exponent letter (SCPI's), and the letters of the exponent.

#include <cstddef>
#include <string_view>

namespace zz::common {

struct NumeralRules {
    bool (*skipped)(char) = nullptr;         // ignored anywhere, before the sign too
    bool (*aroundExponent)(char) = nullptr;  // allowed before and after the letter
    std::string_view exponentLetters = "eE";
};

struct Numeral {
    enum class Range { Inside, Overflow, Underflow };
    std::size_t length = 0;  // characters up to its last one; 0: no numeral
    // -0.0 for a negative zero ("-0"). Overflow: +/-infinity; underflow
    // (digits that are not all zero, too small for a double): 0.
    double value = 0.0;
    Range range = Range::Inside;
};

Numeral scanNumeral(std::string_view text, const NumeralRules &rules = {});

}  // namespace zz::common
