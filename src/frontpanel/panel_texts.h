#pragma once
// The panel's own words: message titles and prompts, and the fixed command texts.
// Lines inside a message are separated by carriage returns alone.

#include <string>

namespace zz::frontpanel::panel_text {

inline constexpr const char *kNoValueTitle = "No Value Entered";
inline constexpr const char *kNoValuePrompt = "Please enter a value in the box provided.";
inline constexpr const char *kOutOfRangeTitle = "Value Out of Range";
// "The value entered is too high (max. = 99999.9 Ohms)", and too low (min. = 0.0).
std::string tooHighPrompt();
std::string tooLowPrompt();
// A typed value or preset while the box's profile is refused.
inline constexpr const char *kProfileTitle = "Box Profile Refused";
inline constexpr const char *kZeroTitle = "Set to ZERO";
inline constexpr const char *kZeroPrompt = "Set to ZERO\r\rAre You Sure?";

}  // namespace zz::frontpanel::panel_text
