#pragma once
// How far a running program or ramp has gone, as the pages show it above
// the history plot. Whoever runs one fills it through PanelModel::setProgress.

#include <chrono>
#include <optional>
#include <string>

namespace zz::web {

struct RunProgress {
    int step = 0;      // counts from 1
    int steps = 0;     // 0 when not known ahead
    std::string text;  // the step as the program reads: "ramp to 1k in 10 s"
    std::optional<double> targetOhms;
    std::optional<std::chrono::seconds> timeLeft;

    bool operator==(const RunProgress &) const = default;
};

// The "progress" field of the state: an object, or null when nothing runs.
std::string progressJson(const std::optional<RunProgress> &progress);

}  // namespace zz::web
