#include "frontpanel/direct_entry.h"

#include "box/ohms_command.h"
#include "common/leading_number.h"

namespace zz::frontpanel {

namespace {

// Only the space character counts as blank here; a lone tab reads as 0.
bool onlySpaces(std::string_view text) {
    return text.find_first_not_of(' ') == text.npos;
}

}  // namespace

Outcome<std::string> decideEntry(std::string_view typed) {
    if (onlySpaces(typed)) return Status::failure(kBlankEntry, "no value entered");
    // The register holds 0.0 to 99999.9: a negative value cannot be shown or
    // sent, a numeral beyond the double range (infinity) has no seven-character
    // form, and the limit test sees the rounded text (box/ohms_command.h).
    return box::ohmsCommand(common::readLeadingNumber(typed).value);
}

}  // namespace zz::frontpanel
