#include "common/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace zz::common {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t digitsFrom(std::string_view text, std::size_t i) {
    while (i < text.size() && isDigit(text[i])) ++i;
    return i;
}

}  // namespace

std::optional<ScannedNumber> scanDecimal(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t intEnd = digitsFrom(text, i);
    std::size_t end = intEnd;
    std::size_t fracDigits = 0;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fracEnd = digitsFrom(text, end + 1);
        fracDigits = fracEnd - end - 1;
        end = fracEnd;
    }
    if (intEnd == i && fracDigits == 0) return std::nullopt;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const std::size_t expEnd = digitsFrom(text, e);
        if (expEnd > e) end = expEnd;  // "5e" is 5 followed by the letter e
    }
    // from_chars takes no '+' sign.
    const std::size_t first = text[0] == '+' ? 1 : 0;
    double value = 0.0;
    const auto [ptr, error] =
        std::from_chars(text.data() + first, text.data() + end, value, std::chars_format::general);
    if (error != std::errc{} || ptr != text.data() + end || !std::isfinite(value))
        return std::nullopt;
    return ScannedNumber{value, end};
}

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == text.npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<double> readDecimal(std::string_view text) {
    text = trimBlanks(text);
    const auto number = scanDecimal(text);
    if (!number || number->length != text.size()) return std::nullopt;
    return number->value;
}

std::string decimalText(double value, int decimals, int fewest) {
    char buffer[64];
    // Beyond 1e15 fixed notation says nothing more and would not fit.
    if (!(std::fabs(value) < 1e15)) {
        std::snprintf(buffer, sizeof buffer, "%g", value);
        return buffer;
    }
    const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string_view text(buffer, static_cast<std::size_t>(std::max(length, 0)));
    if (const auto point = text.find('.'); point != text.npos) {
        const auto kept = point + 1 + static_cast<std::size_t>(std::max(fewest, 0));
        while (text.size() > kept && text.back() == '0') text.remove_suffix(1);
        if (text.back() == '.') text.remove_suffix(1);
    }
    // A negative value that shows as zero.
    if (text.starts_with('-') && text.find_first_not_of("-0.") == text.npos) text.remove_prefix(1);
    return std::string(text);
}

}  // namespace zz::common
