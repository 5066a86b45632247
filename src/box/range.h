#pragma once
// What the box can present and how it starts: six decade digits from 0.0 to
// 99999.9 Ω in steps of 0.1 Ω, and the value every program of ours sends
// first (the 10 000 Ω digit set to "1").

#include <string>

namespace zz::box {

inline constexpr int kDigits = 6;
inline constexpr double kMinOhms = 0.0;
inline constexpr double kMaxOhms = 99999.9;  // the six digits full
inline constexpr double kResolutionOhms = 0.1;
inline constexpr int kDecimals = 1;  // the places of kResolutionOhms

// A value of the range as messages and help texts write it, to the box's
// resolution: "0.0", "99999.9".
std::string limitText(double ohms);

inline constexpr const char *kStartCommand = "10000";
inline constexpr double kStartOhms = 10000.0;

}  // namespace zz::box
