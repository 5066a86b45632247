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
    const std::string_view typed(reinterpret_cast<const char *>(data), size);
    const zz::Outcome<std::string> decision = zz::frontpanel::decideEntry(typed);
    const double read = zz::common::leadingNumber(typed);
    const bool blank = typed.find_first_not_of(' ') == std::string_view::npos;
    const int refusal = decision.status().number();

    FUZZ_CHECK((refusal == zz::frontpanel::kBlankEntry) == blank);
    if (!decision) {
        // A number the six digits can show is never refused.
        FUZZ_CHECK(blank || !(read >= 0.0 && read <= 99999.9));
        FUZZ_CHECK(refusal != zz::box::TooLow || read < 0.0);
        FUZZ_CHECK(blank || refusal == zz::box::TooLow || refusal == zz::box::TooHigh);
        return 0;
    }

    const std::string_view command = decision.value();
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
