#include "scpi/quick_line.h"

#include "scpi/header_pattern.h"

#include <array>

namespace zz::scpi {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// One program message unit: a query without parameters, common (*IDN?) or
// under SYSTem. Whatever a header after ';' continues from, a SYSTem node
// stays in the SYSTem subsystem, which holds only the session's own queries.
bool quickUnit(std::string_view unit) {
    unit = trimmed(unit);
    if (unit.size() < 2 || unit.back() != '?' || unit.find_first_of(" \t\"'") != unit.npos)
        return false;
    const std::string header = upperCase(unit.substr(0, unit.size() - 1));
    static constexpr std::array<std::string_view, 6> kCommon = {"*IDN", "*ESR", "*STB",
                                                                "*OPC", "*ESE", "*SRE"};
    for (const auto common : kCommon)
        if (header == common) return true;
    const std::string_view path = std::string_view(header).substr(header.starts_with(':') ? 1 : 0);
    const std::string_view first = path.substr(0, path.find(':'));
    return first == "SYST" || first == "SYSTEM";
}

}  // namespace

bool answeredWithoutTheBox(std::string_view line) {
    if (trimmed(line).empty()) return false;
    for (std::size_t start = 0;;) {
        const auto end = line.find(';', start);
        if (!quickUnit(line.substr(start, end - start))) return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

}  // namespace zz::scpi
