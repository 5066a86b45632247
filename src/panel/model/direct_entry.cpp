#include "panel/model/direct_entry.h"

#include "common/leading_number.h"
#include "common/ohms_command.h"

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
    // sent, a numeral beyond the double range (infinity) has no seven-character
    // form, and the limit test sees the rounded text (common/ohms_command.h).
    OhmsCommand decided = ohmsCommand(number.value);
    switch (decided.kind) {
        case OhmsCommand::Kind::TooLow:
            return {Kind::TooLow, {}};
        case OhmsCommand::Kind::TooHigh:
            return {Kind::TooHigh, {}};
        case OhmsCommand::Kind::Accept:
            break;
    }
    return {Kind::Accept, std::move(decided.command)};
}

}  // namespace zz
