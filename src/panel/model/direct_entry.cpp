#include "panel/model/direct_entry.h"

#include "common/leading_number.h"
#include "common/number_text.h"
#include "panel/model/panel_texts.h"

namespace zz {

namespace {

// Only the space character counts as blank here; a lone tab reads as 0.
bool onlySpaces(std::string_view text) {
    return text.find_first_not_of(' ') == text.npos;
}

}  // namespace

EntryDecision decideEntry(std::string_view typed) {
    using Kind = EntryDecision::Kind;
    if (onlySpaces(typed)) return {Kind::Blank, {}};

    const LeadingNumber number = readLeadingNumber(typed);
    // The register holds 0.0 to 99999.9: a negative value cannot be shown or
    // sent, and a numeral beyond the double range has no seven-character form.
    if (number.value < 0) return {Kind::TooLow, {}};
    if (number.overflow) return {Kind::TooHigh, {}};

    std::string command = formatFixed00000_0(number.value);
    // The limit test sees the rounded text: 99999.94 passes as "99999.9",
    // 99999.95 becomes "100000.0" and is refused.
    if (leadingNumber(command) > panel_text::kUpperLimit) return {Kind::TooHigh, {}};
    return {Kind::Accept, std::move(command)};
}

}  // namespace zz
