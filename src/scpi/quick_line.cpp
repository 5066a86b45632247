#include "scpi/quick_line.h"

#include "scpi/command_table.h"
#include "scpi/header_pattern.h"

namespace zz::scpi {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool quickCommon(std::string_view name) {
    for (const CommonEntry &entry : commonTable())
        if (entry.name == name) return entry.queryWithoutTheBox;
    return false;
}

// A header whose first node is `node` names a command of the table that
// starts with it, or, relative to the path the line has come to, one that
// holds it further in: every command holding that node must do without the
// box. "SYST" qualifies; "COUN" starts no command and is left to the queue.
bool quickSubsystem(std::string_view node) {
    bool starts = false;
    for (const CommandEntry &entry : commandTable()) {
        if (!entry.header.hasNode(node)) continue;
        if (!entry.queryWithoutTheBox) return false;
        starts = starts || entry.header.mayStartWith(node);
    }
    return starts;
}

// One program message unit: a query without parameters whose row in the
// command table says it is answered without the box.
bool quickUnit(std::string_view unit) {
    unit = trimmed(unit);
    if (unit.size() < 2 || unit.back() != '?' || unit.find_first_of(" \t\"'") != unit.npos)
        return false;
    const std::string header = upperCase(unit.substr(0, unit.size() - 1));
    if (header.starts_with('*')) return quickCommon(std::string_view(header).substr(1));
    const std::string_view path = std::string_view(header).substr(header.starts_with(':') ? 1 : 0);
    return quickSubsystem(path.substr(0, path.find(':')));
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
