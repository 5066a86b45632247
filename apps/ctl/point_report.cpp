#include "point_report.h"

#include "profile/true_ohms.h"

#include "common/decimal_text.h"
#include "common/local_time.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace zz::ctl {

using namespace std::chrono;

namespace {

// "14:03:07.250", or with the date "2026-12-07 14:03:07.250".
std::string localTime(system_clock::time_point when, bool withDate) {
    const std::time_t t = system_clock::to_time_t(when);
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    const std::tm tm = common::localTime(t);
    char text[40];
    // Spelled out: Windows' older C library knows neither %F nor %T.
    const char *format = withDate ? "%Y-%m-%d %H:%M:%S" : "%H:%M:%S";
    const std::size_t n = std::strftime(text, sizeof text, format, &tm);
    std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(ms));
    return text;
}

}  // namespace

std::string describeSetpoint(const automation::Setpoint &point, double leadsOhms) {
    using common::decimalText;
    std::string text = point.trueOhms
                           ? profile::describeTrueSetting({point.command, *point.trueOhms})
                           : point.command + "  " + decimalText(point.ohms) + " \u03A9";
    if (point.celsius) text += "  " + decimalText(*point.celsius, 3) + " \u00B0C";
    if (leadsOhms != 0.0)
        text += "  (" + decimalText(point.ohms + leadsOhms) + " \u03A9 less " +
                decimalText(leadsOhms) + " \u03A9 leads)";
    return text;
}

Status PointReport::openLog(const std::string &path) {
    log_.open(path, std::ios::out | std::ios::trunc);
    if (!log_)
        return Status::failure(2, "cannot write the log " + path + ": " + std::strerror(errno));
    logPath_ = path;
    log_ << "time,command,ohms,celsius\n" << std::flush;
    return {};
}

void PointReport::sent(const automation::Setpoint &point, system_clock::time_point when,
                       double leadsOhms) {
    if (!quiet_) {
        std::printf("%s  %s\n", localTime(when, false).c_str(),
                    describeSetpoint(point, leadsOhms).c_str());
        std::fflush(stdout);
    }
    if (log_.is_open()) {
        log_ << localTime(when, true) << ',' << point.command << ','
             << common::decimalText(point.ohms) << ','
             << (point.celsius ? common::decimalText(*point.celsius, 3) : "") << '\n'
             << std::flush;
        if (!log_ && !logFailed_) {  // a full disk: say so once, the run goes on
            logFailed_ = true;
            std::fprintf(stderr, "6175ZIZ-ctl: the log %s could not be written to its end\n",
                         logPath_.c_str());
        }
    }
}

}  // namespace zz::ctl
