// The conversions on Windows' C and C++ libraries, run under Wine: the rows
// of the Linux tests where those libraries could differ from glibc (decimal
// rounding on the 15-digit form, huge and tiny values, exponents, overflow,
// the resistor codes), in plain C++ since no Qt exists for this build.

#include "automation/resistance_text.h"
#include "common/leading_number.h"
#include "common/number_text.h"
#include "common/ohms_command.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

int g_failures = 0;
int g_checks = 0;

void expect(bool ok, const std::string &what, const std::string &got, const std::string &want) {
    ++g_checks;
    if (ok) return;
    ++g_failures;
    std::printf("FAIL %s: got \"%s\", want \"%s\"\n", what.c_str(), got.c_str(), want.c_str());
}

std::string number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

}  // namespace

int main() {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Fixed {
        double value;
        std::string text;
    };
    const Fixed fixed[] = {
        {1234.5, "01234.5"},
        {0.05, "00000.1"},
        {0.15, "00000.2"},
        {2.675, "00002.7"},
        {9.95, "00010.0"},
        {8.345, "00008.3"},
        {99999.94, "99999.9"},
        {-0.05, "-00000.1"},
        {-0.0, "00000.0"},
        {1e-300, "00000.0"},
        {0.04999999999999999, "00000.1"},
        {std::numeric_limits<double>::denorm_min(), "00000.0"},
        {1234567890123456789.0, "1234567890123460000.0"},
        {1e300, "1" + std::string(300, '0') + ".0"},
    };
    for (const auto &row : fixed) {
        const std::string got = zz::formatFixed00000_0(row.value);
        expect(got == row.text, "formatFixed00000_0(" + number(row.value) + ")", got, row.text);
    }

    struct Leading {
        const char *text;
        double value;
        bool overflow;
    };
    const Leading leading[] = {
        {"  1 2 . 5", 12.5, false}, {"2.5D-1", 0.25, false},
        {"1e--3", 1.0, false},      {"12,5", 12.0, false},
        {"&HFF", 255.0, false},     {"&O17", 15.0, false},
        {"1e400", kInf, true},      {"-1e400", -kInf, true},
        {"1e-400", 0.0, false},     {"abc", 0.0, false},
        {"0.1", 0.1, false},        {"123456789012345678", 123456789012345678.0, false},
    };
    for (const auto &row : leading) {
        const zz::LeadingNumber got = zz::readLeadingNumber(row.text);
        expect(got.value == row.value && got.overflow == row.overflow,
               std::string("readLeadingNumber(\"") + row.text + "\")",
               number(got.value) + (got.overflow ? " overflow" : ""),
               number(row.value) + (row.overflow ? " overflow" : ""));
    }

    struct Ohms {
        const char *text;
        std::string command;  // empty: refused
    };
    const Ohms ohms[] = {
        {"4k7", "04700.0"},  {"0R1", "00000.1"},   {"1.5 k\u03a9", "01500.0"},
        {"250m", "00000.3"}, {"0.05M", "50000.0"}, {"99999.95", ""},
        {"-1", ""},          {"1e6", ""},          {"100R", "00100.0"},
    };
    for (const auto &row : ohms) {
        const auto value = zz::automation::readResistance(row.text);
        const zz::OhmsCommand command = value ? zz::ohmsCommand(value.value()) : zz::OhmsCommand{};
        const std::string got =
            command.kind == zz::OhmsCommand::Kind::Accept ? command.command : std::string();
        expect(got == row.command, std::string("command of \"") + row.text + "\"", got,
               row.command);
    }

    std::printf("%d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
