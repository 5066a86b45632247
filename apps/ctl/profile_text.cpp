#include "profile_text.h"

#include "box/range.h"
#include "toml_text.h"

#include <variant>

namespace zz::ctl {

namespace {

// A user's sensor as the profile gives it; a table read from its file shows
// its rows inline. Names are letters, digits, _ and -: bare keys.
std::string sensorText(const box::UserSensor &sensor) {
    std::string text = "[sensors." + box::userSensorName(sensor) + "]\n";
    if (const auto *platinum = std::get_if<box::PlatinumSensor>(&sensor))
        return text + "r0 = " + tomlNumber(platinum->r0) + "\na = " + tomlNumber(platinum->k.a) +
               "\nb = " + tomlNumber(platinum->k.b) + "\nc = " + tomlNumber(platinum->k.c) + "\n";
    const auto &table = std::get<box::TableSensor>(sensor);
    text += std::string("kind = \"") + (table.kind == box::TableKind::Ntc ? "ntc" : "rtd") +
            "\"\nrows = [  # \u00B0C, ohms\n";
    for (const box::TableRow &row : table.rows)
        text += "  [" + tomlNumber(row.celsius) + ", " + tomlNumber(row.ohms) + "],\n";
    return text + "]\n";
}

}  // namespace

std::string profileText(const profile::Profile &p) {
    std::string text;
    text += "serial = " + tomlString(p.serial) + "\n";
    text += "name = " + tomlString(p.name) + "\n";
    text += "lead_offset = " + tomlNumber(p.leadOffsetOhms) + "\n";
    text += "\n[limits]\nmin = " + tomlNumber(p.limits.minOhms) +
            "\nmax = " + tomlNumber(p.limits.maxOhms) + "\n";
    if (p.limits.maxChangeOhms)
        text += "max_change = " + tomlNumber(*p.limits.maxChangeOhms) + "\n";
    if (!p.table) {
        text += "\n# no correction table: nominal values only\n";
    } else {
        text += "\n[table]\nzero = " + tomlNumber(p.table->zeroOhms) + "\n";
        // Dates as the reader wrote them, 2027-01-10: TOML dates, unquoted.
        if (!p.table->measured.empty()) text += "measured = " + p.table->measured + "\n";
        if (!p.table->due.empty()) text += "due = " + p.table->due + "\n";
        static constexpr const char *kKeys[] = {"decade_0_1", "decade_1",    "decade_10",
                                                "decade_100", "decade_1000", "decade_10000"};
        for (int decade = 0; decade < box::kDigits; ++decade) {
            text += std::string(kKeys[decade]) + " = [";
            for (int k = 0; k < 9; ++k)
                text += (k ? ", " : "") + tomlNumber(p.table->steps[decade][k]);
            text += "]\n";
        }
    }
    for (const box::UserSensor &sensor : p.sensors) text += "\n" + sensorText(sensor);
    return text;
}

}  // namespace zz::ctl
