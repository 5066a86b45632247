#include "common/number_text.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <string_view>

namespace zz::common {

// Halves to even without relying on the floating-point rounding mode.
// value - floor(value) is exact for every double.
std::optional<std::int16_t> toInt16(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    if (whole < -32768.0 || whole > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(whole);
}

std::string wholeNumberText(long long value) {
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)error;  // 24 characters hold any long long
    return std::string(buffer, end);
}

namespace {

// The 15 significant digits of |value| (round to nearest of the binary value)
// and the power of ten of the first one: 8.345 gives "834500000000000", 0.
struct SignificantDigits {
    std::string digits;
    int exponent = 0;
};

SignificantDigits significantDigits(double magnitude) {
    char buffer[32];  // "d.dddddddddddddde+ddd"
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
    (void)error;
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    const auto e = text.find('e');
    SignificantDigits result;
    result.digits.reserve(15);
    result.digits.push_back(text[0]);
    result.digits.append(text.substr(2, e - 2));
    // to_chars writes no terminating NUL: read the exponent within the text.
    auto exponent = text.substr(e + 1);
    if (exponent.front() == '+') exponent.remove_prefix(1);
    std::from_chars(exponent.data(), exponent.data() + exponent.size(), result.exponent);
    return result;
}

}  // namespace

// Anything that rounds to zero is written "00000.0", without a minus sign:
// the instrument has no negative zero.
std::string formatFixed00000_0(double value) {
    assert(std::isfinite(value));
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");

    const auto [digits, exponent] = significantDigits(std::fabs(value));

    // Digits of the result down to the 0.1 digit, as one whole number of tenths.
    const int kept = exponent + 2;  // how many significant digits lie at or above 0.1
    std::string tenths;
    if (kept >= static_cast<int>(digits.size())) {
        tenths = digits + std::string(static_cast<std::size_t>(kept) - digits.size(), '0');
    } else if (kept >= 0) {
        tenths = digits.substr(0, static_cast<std::size_t>(kept));
        if (digits[static_cast<std::size_t>(kept)] >= '5') {  // a half or more: away from zero
            auto it = tenths.rbegin();
            for (; it != tenths.rend() && *it == '9'; ++it) *it = '0';
            if (it == tenths.rend())
                tenths.insert(tenths.begin(), '1');
            else
                ++*it;
        }
    }
    if (tenths.find_first_not_of('0') == std::string::npos) return "00000.0";
    if (tenths.size() < 6) tenths.insert(0, 6 - tenths.size(), '0');

    std::string text = value < 0 ? "-" : "";
    text.append(tenths, 0, tenths.size() - 1);
    text.push_back('.');
    text.push_back(tenths.back());
    return text;
}

}  // namespace zz::common
