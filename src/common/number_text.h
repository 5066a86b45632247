#pragma once
// Conversions between numbers and the texts the operator and the instrument see.

#include <cstdint>
#include <optional>
#include <string>

namespace zz::common {

// Rounds to the nearest whole number, halves to the even one. Outside
// -32768..32767 (or not a number) there is no result.
std::optional<std::int16_t> toInt16(double value);

// The error number and text the operator sees when that conversion has no result.
inline constexpr int kOverflowError = 6;
inline constexpr const char *kOverflowText = "Overflow";

// A whole number in decimal, no blank, no sign when not negative ("3", "12", "-4").
std::string wholeNumberText(long long value);

// The "00000.0" pattern of direct entry: rounded to one decimal place on the
// number's 15-significant-digit decimal form, an exact half away from zero, at
// least five integer digits with leading zeros. A negative value keeps its
// minus sign ("-00012.0"). The value must be finite.
std::string formatFixed00000_0(double value);

}  // namespace zz::common
