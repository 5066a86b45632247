#include "profile_command.h"

#include "box_profile.h"
#include "profile/profile_file.h"
#include "program/port_selection.h"
#include "session.h"

#include <cstdio>

namespace zz::ctl {

namespace {

std::string ohms(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.1f \u03A9", value);
    return text;
}

// One line for each thing the profile sets.
void printSummary(const profile::Profile &p) {
    std::printf("serial: %s\n", p.serial.empty() ? "(not given)" : p.serial.c_str());
    std::printf("name: %s\n", p.name.empty() ? "(not given)" : p.name.c_str());
    std::printf("limits: %s to %s", ohms(p.limits.minOhms).c_str(), ohms(p.limits.maxOhms).c_str());
    if (p.limits.maxChangeOhms)
        std::printf(", at most %s change a command", ohms(*p.limits.maxChangeOhms).c_str());
    std::printf("\n");
    if (p.table)
        std::printf("correction table: zero %.4f \u03A9, measured %s, due %s\n", p.table->zeroOhms,
                    p.table->measured.empty() ? "(not given)" : p.table->measured.c_str(),
                    p.table->due.empty() ? "(not given)" : p.table->due.c_str());
    else
        std::printf("correction table: none (nominal values only; --true is refused)\n");
    std::printf("lead offset: %.3f \u03A9 (taken off sensor values)\n", p.leadOffsetOhms);
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
        std::printf("# %s%s\n", path.c_str(), loaded.value() ? "" : " (absent: the defaults)");
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
