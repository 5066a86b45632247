#pragma once
// What a typed value becomes: refused (with which message) or the
// seven-character command text "00000.0" that also fills the six digits.

#include "box/ohms_command.h"
#include "common/status.h"

#include <string>
#include <string_view>

namespace zz::frontpanel {

// A typed value refused: box::TooLow, box::TooHigh, or nothing typed.
inline constexpr int kBlankEntry = 3;

// The command for a typed value ("01234.5"), or why it is refused.
Outcome<std::string> decideEntry(std::string_view typed);

}  // namespace zz::frontpanel
