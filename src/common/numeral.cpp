#include "common/numeral.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace zz::common {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Every double, and every midpoint between two neighbouring doubles, is
// written exactly in at most 767 significant digits. Digits beyond this many
// only matter through whether any of them is non-zero, so the rest of a long
// numeral is folded into one "sticky" digit: memory and time stay bounded and
// the rounding stays correct.
constexpr std::size_t kKeptDigits = 780;

// Exponent digits beyond this are all alike: far outside the double range.
constexpr std::int64_t kExponentCap = 1'000'000'000'000;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Walks the text; characters the rules skip are invisible.
class Cursor {
public:
    Cursor(std::string_view text, bool (*skipped)(char)) : text_(text), skipped_(skipped) {
        skip(skipped_);
    }

    // '\0' past the end: like an embedded NUL, it fits nowhere and ends the numeral.
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void advance() {
        end_ = ++pos_;
        skip(skipped_);
    }
    void skip(bool (*which)(char)) {
        while (which && pos_ < text_.size() && which(text_[pos_])) ++pos_;
    }
    std::size_t end() const { return end_; }

    struct Mark {
        std::size_t pos, end;
    };
    Mark mark() const { return {pos_, end_}; }
    void back(Mark m) {
        pos_ = m.pos;
        end_ = m.end;
    }

private:
    std::string_view text_;
    bool (*skipped_)(char);
    std::size_t pos_ = 0;
    std::size_t end_ = 0;  // after the last character taken
};

// The numeral as significant digits times a power of ten.
struct Digits {
    bool negative = false;
    bool sawDigit = false;
    std::string digits;  // no leading zeros, at most kKeptDigits + 1
    std::int64_t scale = 0;
};

void readMantissa(Cursor &cursor, Digits &number) {
    bool afterPoint = false;
    bool sticky = false;
    for (;;) {
        const char c = cursor.peek();
        if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (isDigit(c)) {
            number.sawDigit = true;
            if (number.digits.size() < kKeptDigits) {
                if (afterPoint) --number.scale;
                if (!number.digits.empty() || c != '0') number.digits.push_back(c);
            } else {
                sticky = sticky || c != '0';
                if (!afterPoint) ++number.scale;
            }
        } else {
            break;
        }
        cursor.advance();
    }
    if (sticky) {
        number.digits.push_back('1');
        --number.scale;
    }
}

// Letter, optional sign, digits; without digits the cursor goes back to
// before the letter and there is no exponent.
std::int64_t readExponent(Cursor &cursor, const NumeralRules &rules) {
    const Cursor::Mark before = cursor.mark();
    cursor.skip(rules.aroundExponent);
    const char letter = cursor.peek();
    if (letter == '\0' || rules.exponentLetters.find(letter) == std::string_view::npos) {
        cursor.back(before);
        return 0;
    }
    cursor.advance();
    cursor.skip(rules.aroundExponent);
    bool negative = false;
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        negative = cursor.peek() == '-';
        cursor.advance();
    }
    if (!isDigit(cursor.peek())) {
        cursor.back(before);
        return 0;
    }
    std::int64_t exponent = 0;
    while (isDigit(cursor.peek())) {
        exponent = std::min(exponent * 10 + (cursor.peek() - '0'), kExponentCap);
        cursor.advance();
    }
    return negative ? -exponent : exponent;
}

Numeral convert(const Digits &number, std::size_t length) {
    using Range = Numeral::Range;
    const double sign = number.negative ? -1.0 : 1.0;
    const Numeral zero{length, sign * 0.0, Range::Inside};
    const Numeral overflow{length, sign * kInfinity, Range::Overflow};
    const Numeral underflow{length, 0.0, Range::Underflow};
    if (number.digits.empty()) return zero;
    // The value is 0.ddd... times 10 to this power.
    const auto magnitude = number.scale + static_cast<std::int64_t>(number.digits.size());
    if (magnitude > 310) return overflow;
    if (magnitude < -330) return underflow;

    const std::string numeral = number.digits + 'e' + std::to_string(number.scale);
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(numeral.data(), numeral.data() + numeral.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) return magnitude > 0 ? overflow : underflow;
    if (error != std::errc{} || value == 0.0) return underflow;
    if (value == kInfinity) return overflow;
    return {length, sign * value, Range::Inside};
}

}  // namespace

Numeral scanNumeral(std::string_view text, const NumeralRules &rules) {
    Cursor cursor(text, rules.skipped);
    Digits number;
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        number.negative = cursor.peek() == '-';
        cursor.advance();
    }
    readMantissa(cursor, number);
    if (!number.sawDigit) return {};
    number.scale += readExponent(cursor, rules);
    return convert(number, cursor.end());
}

}  // namespace zz::common
