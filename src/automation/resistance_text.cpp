#include "automation/resistance_text.h"

#include "box/range.h"
#include "common/decimal_text.h"

#include <cmath>
#include <optional>
#include <string>

namespace zz::automation {

namespace {

std::optional<double> multiplierOf(char letter) {
    switch (letter) {
        case 'R':
            return 1.0;
        case 'm':
        case 'L':
            return 1e-3;
        case 'k':
        case 'K':
            return 1e3;
        case 'M':
            return 1e6;
        default:
            return std::nullopt;
    }
}

bool allDigits(std::string_view text) {
    return text.find_first_not_of("0123456789") == text.npos;
}

// "4k7", "0R1", "R47", "100R": digits, one code letter in place of the
// decimal point, digits. Only R may stand first ("R47"); "k5" is no code.
std::optional<double> readCode(std::string_view text) {
    const auto at = text.find_first_not_of("0123456789");
    if (at == text.npos || text.size() < 2) return std::nullopt;
    const auto multiplier = multiplierOf(text[at]);
    const std::string_view before = text.substr(0, at), after = text.substr(at + 1);
    if (!multiplier || !allDigits(after) || (before.empty() && text[at] != 'R'))
        return std::nullopt;
    const std::string number =
        std::string(before.empty() ? "0" : before) + "." + std::string(after);
    const auto value = common::readDecimal(number);
    if (!value) return std::nullopt;
    return *value * *multiplier;
}

// What may follow the number: nothing or a unit, each after an optional prefix.
std::optional<double> readSuffix(std::string_view suffix) {
    const auto isUnit = [](std::string_view text) {
        for (std::string_view unit : {"", "\u03A9", "\u2126", "ohm", "ohms", "Ohm", "Ohms"})
            if (text == unit) return true;
        return false;
    };
    if (isUnit(suffix)) return 1.0;
    const auto prefix = multiplierOf(suffix[0]);
    if (!prefix || suffix[0] == 'R' || suffix[0] == 'L' || !isUnit(suffix.substr(1)))
        return std::nullopt;
    return *prefix;
}

}  // namespace

Outcome<double> readResistance(std::string_view text) {
    const std::string_view trimmed = common::trimBlanks(text);
    const auto refused = [&] {
        return Outcome<double>::failure("cannot read \"" + std::string(trimmed) +
                                        "\" as a resistance (for example 1234.5, 1.5k, 4k7, "
                                        "0R1, 250m)");
    };
    if (trimmed.empty()) return Outcome<double>::failure("no resistance given");

    double ohms = 0.0;
    if (const auto code = readCode(trimmed)) {
        ohms = *code;
    } else {
        const auto number = common::scanDecimal(trimmed);
        if (!number) return refused();
        const auto multiplier = readSuffix(common::trimBlanks(trimmed.substr(number->length)));
        if (!multiplier) return refused();
        ohms = number->value * *multiplier;
    }
    if (!std::isfinite(ohms)) return refused();
    if (trimmed[0] == '-' && ohms != 0.0)
        return Outcome<double>::failure("negative resistance \"" + std::string(trimmed) +
                                        "\": the box sets " + box::limitText(box::kMinOhms) +
                                        " to " + box::limitText(box::kMaxOhms) + " Ω");
    return ohms == 0.0 ? 0.0 : ohms;  // no negative zero
}

}  // namespace zz::automation
