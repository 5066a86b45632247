#include "common/leading_number.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
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

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int octalDigitValue(char c) {
    return (c >= '0' && c <= '7') ? c - '0' : -1;
}

// Walks the text one significant character at a time; blanks are invisible.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) { skipBlanks(); }

    // '\0' past the end: like an embedded NUL, it fits nowhere and ends the number.
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void advance() {
        ++pos_;
        skipBlanks();
    }
    bool take(char lower) {
        const char c = peek();
        if (c != lower && c != lower - ('a' - 'A')) return false;
        advance();
        return true;
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// "&H" / "&O" whole numbers. Values that fit 16 bits read as a 16-bit signed
// number ("&HFFFF" is -1), values that fit 32 bits as a 32-bit signed number
// ("&H10000" is 65536, "&HFFFFFFFF" is -1); the choice goes by the value, so
// leading zeros change nothing. Larger values overflow. No sign may precede
// the "&": "-&H1" is a lone minus sign and reads as 0.
LeadingNumber readRadixNumber(Cursor &cursor, int (*digitValue)(char), unsigned radix) {
    std::uint64_t value = 0;
    bool tooBig = false;
    for (int d = digitValue(cursor.peek()); d >= 0; d = digitValue(cursor.peek())) {
        if (!tooBig) {
            value = value * radix + static_cast<unsigned>(d);
            tooBig = value > 0xFFFF'FFFFu;
        }
        cursor.advance();
    }
    if (tooBig) return {kInfinity, true};
    if (value <= 0xFFFFu) return {static_cast<double>(static_cast<std::int16_t>(value)), false};
    return {static_cast<double>(static_cast<std::int32_t>(value)), false};
}

// The decimal numeral as significant digits times a power of ten.
struct Decimal {
    bool negative = false;
    bool sawDigit = false;
    std::string digits;  // no leading zeros, at most kKeptDigits + 1
    std::int64_t scale = 0;
};

void readMantissa(Cursor &cursor, Decimal &number) {
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

// Exponent letter, optional sign, digits; without digits there is no exponent.
std::int64_t readExponent(Cursor &cursor) {
    if (!cursor.take('e') && !cursor.take('d')) return 0;
    bool negative = false;
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        negative = cursor.peek() == '-';
        cursor.advance();
    }
    std::int64_t exponent = 0;
    while (isDigit(cursor.peek())) {
        exponent = std::min(exponent * 10 + (cursor.peek() - '0'), kExponentCap);
        cursor.advance();
    }
    return negative ? -exponent : exponent;
}

LeadingNumber convert(const Decimal &number) {
    if (number.digits.empty()) return {};
    // The value is 0.ddd... times 10 to this power.
    const auto magnitude = number.scale + static_cast<std::int64_t>(number.digits.size());
    const double sign = number.negative ? -1.0 : 1.0;
    if (magnitude > 310) return {sign * kInfinity, true};
    if (magnitude < -330) return {};

    const std::string numeral = number.digits + 'e' + std::to_string(number.scale);
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(numeral.data(), numeral.data() + numeral.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        if (magnitude > 0) return {sign * kInfinity, true};
        return {};
    }
    if (error != std::errc{} || value == 0.0) return {};
    if (value == kInfinity) return {sign * kInfinity, true};
    return {sign * value, false};
}

}  // namespace

// A zero result is always +0, never -0 ("-0" and "-1e-400" read as 0).
LeadingNumber readLeadingNumber(std::string_view text) {
    Cursor cursor(text);
    if (cursor.peek() == '&') {
        cursor.advance();
        if (cursor.take('h')) return readRadixNumber(cursor, hexDigitValue, 16);
        if (cursor.take('o')) return readRadixNumber(cursor, octalDigitValue, 8);
        return {};
    }

    Decimal number;
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        number.negative = cursor.peek() == '-';
        cursor.advance();
    }
    readMantissa(cursor, number);
    if (!number.sawDigit) return {};
    number.scale += readExponent(cursor);
    return convert(number);
}

}  // namespace zz::common
