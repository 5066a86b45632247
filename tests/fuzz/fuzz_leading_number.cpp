// Any bytes through the leading-number conversion: no crash, no undefined
// behaviour, and the properties its callers rely on.

#include "common/leading_number.h"
#include "fuzz_check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool same(const zz::common::LeadingNumber &a, const zz::common::LeadingNumber &b) {
    // Bitwise equal values: +0 and -0 differ here.
    return a.overflow == b.overflow && std::signbit(a.value) == std::signbit(b.value) &&
           (a.value == b.value);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const zz::common::LeadingNumber read = zz::common::readLeadingNumber(text);

    FUZZ_CHECK(!std::isnan(read.value));
    FUZZ_CHECK(read.overflow == std::isinf(read.value));
    FUZZ_CHECK(read.value != 0.0 || !std::signbit(read.value));

    // A NUL fits nowhere in a number: nothing after it counts.
    FUZZ_CHECK(same(read, zz::common::readLeadingNumber(text.substr(0, text.find('\0')))));

    // Blanks are skipped wherever they stand.
    std::string squeezed;
    for (const char c : text)
        if (!isBlank(c)) squeezed.push_back(c);
    FUZZ_CHECK(same(read, zz::common::readLeadingNumber(squeezed)));

    // A minus sign in front of an unsigned numeral negates it.
    if (!squeezed.empty() && squeezed[0] != '+' && squeezed[0] != '-' && squeezed[0] != '&') {
        const zz::common::LeadingNumber negated = zz::common::readLeadingNumber("-" + squeezed);
        FUZZ_CHECK(negated.overflow == read.overflow);
        FUZZ_CHECK(read.value == 0.0 ? same(negated, read) : negated.value == -read.value);
    }

    // A plain decimal numeral reads as the C library reads it (correctly
    // rounded, infinite beyond the double range); "D" is another "E".
    if (squeezed.find_first_not_of("0123456789.+-eEdD") == std::string::npos) {
        std::string numeral = squeezed;
        for (char &c : numeral)
            if (c == 'd' || c == 'D') c = 'e';
        FUZZ_CHECK(read.value == std::strtod(numeral.c_str(), nullptr));
    }
    return 0;
}
