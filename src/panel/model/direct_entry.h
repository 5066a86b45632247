#pragma once
// What a typed value becomes: refused (with which message) or the
// seven-character command text "00000.0" that also fills the six digits.

#include <string>
#include <string_view>

namespace zz {

struct EntryDecision {
    enum class Kind { Accept, Blank, TooHigh, TooLow };
    Kind kind = Kind::Blank;
    std::string command;  // for Accept: e.g. "01234.5"
};

EntryDecision decideEntry(std::string_view typed);

}  // namespace zz
