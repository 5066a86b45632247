#include "common/decimal_text.h"

#include "common/numeral.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zz::common {

std::optional<ScannedNumber> scanDecimal(std::string_view text) {
    const Numeral numeral = scanNumeral(text);
    if (numeral.length == 0 || numeral.range != Numeral::Range::Inside) return std::nullopt;
    return ScannedNumber{numeral.value, numeral.length};
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
