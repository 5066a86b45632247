#include "server/box_profile.h"

#include "common/decimal_text.h"
#include "net/log.h"

#include <cstdio>

namespace zz::server {

namespace {

std::string ohms(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

std::string describeProfile(const std::string &path, const profile::BoxRules &rules) {
    if (const Status usable = rules.usable(); !usable) return "refused: " + usable.text();
    const auto &profile = rules.profile();
    if (!profile) return "no profile " + path + ": the box's whole range, nominal values";
    std::string text = "profile " + path + " read: ";
    if (!profile->name.empty()) text += profile->name + ", ";
    if (!profile->serial.empty()) text += "serial " + profile->serial + ", ";
    text += "limits " + ohms(rules.minOhms()) + "\u2013" + ohms(rules.maxOhms()) + " \u03A9";
    if (const auto change = profile::largestChangeOnGrid(profile->limits))
        text += ", at most " + ohms(*change) + " \u03A9 a command";
    if (profile->leadOffsetOhms != 0.0)
        text += ", lead offset " + common::decimalText(profile->leadOffsetOhms, 3, 1) + " \u03A9";
    if (!profile->table)
        text += ", no table";
    else
        text += ", table" + (profile->table->due.empty() ? "" : " due " + profile->table->due);
    return text;
}

BoxProfile::BoxProfile(std::string path) : watch_(std::move(path)) {
    report();
}

void BoxProfile::poll() {
    if (!watch_.poll()) return;
    report();
    if (changed_) changed_(watch_.rules());
}

void BoxProfile::report() {
    net::logLine(describeProfile(watch_.path(), watch_.rules()));
    if (warnedOverdue_) return;
    const std::string overdue = watch_.rules().overdueWarning(profile::todayText());
    if (overdue.empty()) return;
    warnedOverdue_ = true;
    net::logLine("warning: " + overdue);
}

}  // namespace zz::server
