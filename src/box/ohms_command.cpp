#include "box/ohms_command.h"

#include "box/range.h"
#include "common/leading_number.h"
#include "common/number_text.h"

#include <charconv>
#include <cmath>

namespace zz::box {

Outcome<std::string> ohmsCommand(double ohms) {
    const auto tooHigh = [] {
        return Status::failure(TooHigh, "above " + limitText(kMaxOhms) + " \u03A9");
    };
    if (ohms < 0) return Status::failure(TooLow, "below " + limitText(kMinOhms) + " \u03A9");
    if (!std::isfinite(ohms)) return tooHigh();
    std::string command = common::formatFixed00000_0(ohms);
    if (common::leadingNumber(command) > kMaxOhms) return tooHigh();
    return command;
}

std::optional<double> commandOhms(std::string_view command) {
    if (command.empty() || command.size() > 16 || command.front() < '0' || command.front() > '9')
        return std::nullopt;
    double value = 0;
    const char *end = command.data() + command.size();
    const auto [stop, error] =
        std::from_chars(command.data(), end, value, std::chars_format::fixed);
    if (error != std::errc{} || stop != end || !std::isfinite(value)) return std::nullopt;
    const std::string text = common::formatFixed00000_0(value);
    if (text.size() != 7 || common::leadingNumber(text) > kMaxOhms) return std::nullopt;
    return value;
}

}  // namespace zz::box
