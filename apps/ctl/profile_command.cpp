#include "profile_command.h"

#include "box_profile.h"
#include "common/decimal_text.h"
#include "profile/limits.h"
#include "profile/profile_file.h"
#include "profile_text.h"
#include "program/port_selection.h"
#include "session.h"
#include "toml_text.h"

#include <cstdio>
#include <variant>

namespace zz::ctl {

namespace {

std::string ohms(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.1f \u03A9", value);
    return text;
}

// "lot7: platinum, R0 100.012 Ω, A 0.0039083, B -5.775e-07, C 0, -200 to
// 850 °C" or "ntc1: NTC table, 13 rows, -40 to 125 °C, 336500 to 334.8 Ω".
std::string sensorSummary(const box::UserSensor &sensor) {
    using common::decimalText;
    std::string text = box::userSensorName(sensor) + ": ";
    const auto span = box::sensorSpan(box::toSensor(sensor));
    const std::string range =
        decimalText(span->minC) + " to " + decimalText(span->maxC) + " \u00B0C";
    if (const auto *platinum = std::get_if<box::PlatinumSensor>(&sensor))
        return text + "platinum, R0 " + tomlNumber(platinum->r0) + " \u03A9, A " +
               tomlNumber(platinum->k.a) + ", B " + tomlNumber(platinum->k.b) + ", C " +
               tomlNumber(platinum->k.c) + ", " + range;
    const auto &table = std::get<box::TableSensor>(sensor);
    return text + (table.kind == box::TableKind::Ntc ? "NTC" : "RTD") + " table, " +
           std::to_string(table.rows.size()) + " rows, " + range + ", " +
           tomlNumber(table.rows.front().ohms) + " to " + tomlNumber(table.rows.back().ohms) +
           " \u03A9";
}

// One line for each thing the profile sets.
void printSummary(const profile::Profile &p) {
    // Control characters shown escaped, never sent to the terminal.
    std::printf("serial: %s\n", p.serial.empty() ? "(not given)" : tomlComment(p.serial).c_str());
    std::printf("name: %s\n", p.name.empty() ? "(not given)" : tomlComment(p.name).c_str());
    // On the box's steps, as they are applied.
    std::printf("limits: %s to %s", ohms(profile::lowestOnGrid(p.limits)).c_str(),
                ohms(profile::highestOnGrid(p.limits)).c_str());
    if (const auto change = profile::largestChangeOnGrid(p.limits))
        std::printf(", at most %s change a command", ohms(*change).c_str());
    std::printf("\n");
    if (p.table)
        std::printf("correction table: zero %.4f \u03A9, measured %s, due %s\n", p.table->zeroOhms,
                    p.table->measured.empty() ? "(not given)" : p.table->measured.c_str(),
                    p.table->due.empty() ? "(not given)" : p.table->due.c_str());
    else
        std::printf("correction table: none (nominal values only; --true is refused)\n");
    std::printf("lead offset: %.3f \u03A9 (taken off sensor values)\n", p.leadOffsetOhms);
    if (p.sensors.empty()) std::printf("sensors: none of its own\n");
    for (const box::UserSensor &sensor : p.sensors)
        std::printf("sensor %s\n", sensorSummary(sensor).c_str());
}

}  // namespace

int runProfile(const Options &options) {
    if (options.operands.size() != 1 ||
        (options.operands[0] != "check" && options.operands[0] != "show")) {
        std::fprintf(stderr, "6175ZIZ-ctl: profile takes check or show\n");
        return kExitUsage;
    }
    link::SerialControl control;
    const program::PortRequest request{options.port, options.device};
    if (const Status port = program::selectPort(request, control); !port) {
        std::fprintf(stderr, "6175ZIZ-ctl: %s\n", port.text().c_str());
        return kExitUsage;
    }
    const std::string path = profilePathFor(request, control);
    const auto loaded = profile::loadProfile(path);
    if (!loaded) {
        std::fprintf(stderr, "6175ZIZ-ctl: %s\nnothing is sent to this port until it is mended\n",
                     loaded.error().c_str());
        return kExitUsage;
    }
    // No file is a profile of defaults: the box as it comes.
    const profile::Profile effective = loaded.value().value_or(profile::Profile{});
    if (options.operands[0] == "show") {
        std::printf("# %s%s\n", tomlComment(path).c_str(),
                    loaded.value() ? "" : " (absent: the defaults)");
        std::fputs(profileText(effective).c_str(), stdout);
        return kExitSent;
    }
    if (!loaded.value()) {
        std::printf("%s: no profile; the box is used as it comes\n", path.c_str());
        return kExitSent;
    }
    std::printf("%s: read\n", path.c_str());
    printSummary(effective);
    if (const std::string overdue = overdueWarning(effective, todayText()); !overdue.empty())
        std::printf("warning: %s\n", overdue.c_str());
    return kExitSent;
}

}  // namespace zz::ctl
