// The conversions on Windows' C and C++ libraries, run under Wine: the rows
// of the Linux tests where those libraries could differ from glibc (decimal
// rounding on the 15-digit form, huge and tiny values, exponents, overflow,
// the resistor codes), in plain C++ since no Qt exists for this build.

#include "automation/resistance_text.h"
#include "box/ohms_command.h"
#include "common/leading_number.h"
#include "common/number_text.h"

#include <cstdio>
#include <limits>
#include <string>

namespace common = zz::common;

namespace {

std::string number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::string leading(const char *text) {
    const zz::common::LeadingNumber n = zz::common::readLeadingNumber(text);
    return number(n.value) + (n.overflow ? " overflow" : "");
}

// The command a resistance text is sent as; "refused" when it is not.
std::string command(const char *text) {
    const auto ohms = zz::automation::readResistance(text);
    if (!ohms) return "refused";
    const zz::Outcome<std::string> c = zz::box::ohmsCommand(ohms.value());
    return c ? c.value() : "refused";
}

}  // namespace

int main() {
    using zz::common::formatFixed00000_0;
    struct Row {
        const char *what;
        std::string got, want;
    };
    const Row rows[] = {
        {"fixed 1234.5", common::formatFixed00000_0(1234.5), "01234.5"},
        {"fixed 2.675", common::formatFixed00000_0(2.675), "00002.7"},
        {"fixed 9.95", common::formatFixed00000_0(9.95), "00010.0"},
        {"fixed 99999.94", common::formatFixed00000_0(99999.94), "99999.9"},
        {"fixed -0.05", common::formatFixed00000_0(-0.05), "-00000.1"},
        {"fixed 0.0499..9", common::formatFixed00000_0(0.04999999999999999), "00000.1"},
        {"fixed subnormal", common::formatFixed00000_0(std::numeric_limits<double>::denorm_min()),
         "00000.0"},
        {"fixed 19 digits", common::formatFixed00000_0(1234567890123456789.0),
         "1234567890123460000.0"},
        {"fixed 1e300", common::formatFixed00000_0(1e300), "1" + std::string(300, '0') + ".0"},
        {"leading D exponent", leading("2.5D-1"), "0.25"},
        {"leading two exponent signs", leading("1e--3"), "1"},
        {"leading hex", leading("&HFF"), "255"},
        {"leading octal", leading("&O17"), "15"},
        {"leading overflow", leading("-1e400"), "-inf overflow"},
        {"leading underflow", leading("1e-400"), "0"},
        {"leading 0.1", leading("0.1"), "0.10000000000000001"},
        {"command 4k7", command("4k7"), "04700.0"},
        {"command 1.5 kΩ", command("1.5 k\u03a9"), "01500.0"},
        {"command 250m", command("250m"), "00000.3"},
        {"command 0.05M", command("0.05M"), "50000.0"},
        {"command 99999.95", command("99999.95"), "refused"},
    };
    int failed = 0;
    for (const Row &row : rows) {
        if (row.got == row.want) continue;
        ++failed;
        std::printf("FAIL %s: got \"%s\", want \"%s\"\n", row.what, row.got.c_str(),
                    row.want.c_str());
    }
    std::printf("%d checks, %d failed\n", int(std::size(rows)), failed);
    return failed == 0 ? 0 : 1;
}
