// Any typed text through direct entry: either a refusal without a command or
// a command "ddddd.d" close to the number the text begins with.

#include "common/leading_number.h"
#include "frontpanel/direct_entry.h"
#include "fuzz_check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using Kind = zz::EntryDecision::Kind;
    const std::string_view typed(reinterpret_cast<const char *>(data), size);
    const zz::EntryDecision decision = zz::frontpanel::decideEntry(typed);
    const double read = zz::common::leadingNumber(typed);
    const bool blank = typed.find_first_not_of(' ') == std::string_view::npos;

    FUZZ_CHECK((decision.kind == Kind::Blank) == blank);
    if (decision.kind != Kind::Accept) {
        FUZZ_CHECK(decision.command.empty());
        // A number the six digits can show is never refused.
        FUZZ_CHECK(blank || !(read >= 0.0 && read <= 99999.9));
        FUZZ_CHECK(decision.kind != Kind::TooLow || read < 0.0);
        return 0;
    }

    const std::string_view command = decision.command;
    FUZZ_CHECK(command.size() == 7 && command[5] == '.');
    long tenths = 0;
    for (std::size_t i = 0; i < command.size(); ++i) {
        if (i == 5) continue;
        FUZZ_CHECK(command[i] >= '0' && command[i] <= '9');
        tenths = tenths * 10 + (command[i] - '0');
    }
    // Rounded to 0.1 on a 15-digit form: off by at most half a step.
    FUZZ_CHECK(std::fabs(read - tenths / 10.0) <= 0.05 + 1e-9);
    return 0;
}
