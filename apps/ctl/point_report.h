#pragma once
// What a run tells about each command that went out: one line on standard
// output (local time with milliseconds, the command text, the ohms, the
// temperature where a sensor is used) unless quiet, and the same as a CSV
// row in the log file when one is given. Both are flushed line by line, so
// they are complete up to the last command even if the run is killed.

#include "automation/setpoint.h"
#include "common/status.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace zz::ctl {

class PointReport {
public:
    explicit PointReport(bool quiet) : quiet_(quiet) {}

    // Creates or replaces the log and writes its header.
    Status openLog(const std::string &path);

    // `leadsOhms`: the lead offset taken off a sensor value (0: none).
    void sent(const automation::Setpoint &point, std::chrono::system_clock::time_point when,
              double leadsOhms = 0.0);

private:
    bool quiet_;
    std::ofstream log_;
    std::string logPath_;
    bool logFailed_ = false;
};

// "00138.5  138.5055 Ω  100 °C": what is sent and what it stands for; in
// true ohms "01000.0 → 999.97 Ω true". With a lead offset taken off, the
// sensor's own resistance follows at the end, after the fields scripts read:
// "00099.7  99.65 Ω  0 °C  (100 Ω less 0.35 Ω leads)".
std::string describeSetpoint(const automation::Setpoint &point, double leadsOhms = 0.0);

}  // namespace zz::ctl
