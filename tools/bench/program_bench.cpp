// Temperature programs' timing: each command's start against its due time.
//  - the plan on a fast timetable: a Pt100 ramp of 10 minutes (20 to 120 °C
//    and back) with every due time divided by SPEEDUP, sent to nowhere, in
//    this process, with and without real-time scheduling;
//  - the real program: a ramp of SECONDS on a pseudo-terminal as the far end
//    sees it (each frame's end against the first's, less the dry run's due
//    times), with and without --realtime.
//
//   program_bench [SPEEDUP [SECONDS]]      (default 20 and 20; --short: 600 2)

#include "automation/program_plan.h"
#include "automation/program_text.h"
#include "automation/realtime.h"
#include "automation/timed_run.h"
#include "link/line_time.h"
#include "rig/child_process.h"
#include "rig/pty_pair.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono;
using namespace zz::automation;

struct Figures {
    double median = 0, max = 0;
    std::size_t count = 0;
};

Figures figuresOf(std::vector<double> lateMs) {
    Figures f;
    f.count = lateMs.size();
    if (lateMs.empty()) return f;
    std::sort(lateMs.begin(), lateMs.end());
    f.median = lateMs[lateMs.size() / 2];
    f.max = lateMs.back();
    return f;
}

void print(const char *title, const Figures &f) {
    std::printf("  %-46s %6zu commands, late by median %.3f ms, max %.3f ms\n", title, f.count,
                f.median, f.max);
}

Program program(const std::string &text) {
    std::istringstream in(text);
    const ValueReading pt100{zz::box::sensorNamed("pt100").value()};
    auto read = readProgram(in, "bench", pt100,
                            [](const std::string &name) { return zz::box::sensorNamed(name); });
    if (!read) {
        std::fprintf(stderr, "program_bench: %s\n", read.error().c_str());
        std::exit(1);
    }
    return read.value();
}

Figures fastTimetable(int speedup) {
    const Program p = program("start 20\nramp 120 in 5min\nramp 20 in 5min\n");
    const ValueReading reading = p.reading;
    ProgramPlan plan(p, [reading](double v) { return reading.setpoint(v); },
                     {2 * zz::link::kFrameTime, seconds(1)});
    std::vector<double> lateMs;
    MonotonicTime due;
    RunHooks hooks;
    hooks.send = [&](const Setpoint &) {
        lateMs.push_back(duration<double, std::milli>(steady_clock::now() - due).count());
        return zz::Status{};
    };
    hooks.sent = [](std::size_t, const PointTiming &, const zz::Status &) {};
    const MonotonicTime start = steady_clock::now();
    runTimed(
        [&]() -> std::optional<DueSetpoint> {
            auto next = plan.next();
            if (!next || !next.value()) return std::nullopt;
            DueSetpoint point = *next.value();
            point.at /= speedup;
            due = start + duration_cast<steady_clock::duration>(point.at);
            return point;
        },
        hooks);
    return figuresOf(lateMs);
}

// The due times the dry run prints ("+1.234 s  ...").
std::vector<double> dueTimes(const std::string &output) {
    std::vector<double> due;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] == '+') due.push_back(std::atof(line.c_str() + 1) * 1000.0);
    return due;
}

std::string fileText(const std::string &path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Figures realRamp(int rampSeconds, bool realtime, const std::string &dir) {
    zz::rig::PtyPair pty;
    if (!pty.ok()) return {};
    const std::string prog = dir + "/ramp.txt", out = dir + "/out.txt";
    std::ofstream(prog) << "start 20\nramp 120 in " << rampSeconds << "s\n";
    std::vector<std::string> argv{CTL_PATH, "--device", pty.slavePath(), "--rtd",
                                  "pt100",  "--quiet",  "program",       prog};
    if (realtime) argv.insert(argv.begin() + 1, "--realtime");
    {
        std::vector<std::string> dry = argv;
        dry.erase(std::find(dry.begin(), dry.end(), "--quiet"));
        dry.insert(dry.begin() + 1, "--dry-run");
        std::remove(out.c_str());
        zz::rig::ChildProcess child;
        child.start(dry, {}, {}, out);
        child.waitForExit(seconds(30));
    }
    const std::vector<double> due = dueTimes(fileText(out));
    zz::rig::ChildProcess child;
    child.start(argv, {}, {}, "/dev/null");
    std::vector<steady_clock::time_point> ends;
    char buffer[256];
    const auto deadline = steady_clock::now() + seconds(rampSeconds + 10);
    while (ends.size() < due.size() && steady_clock::now() < deadline) {
        pollfd p{pty.masterFd(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
        const auto now = steady_clock::now();
        for (ssize_t i = 0; i < n; ++i)
            if (buffer[i] == '\r') ends.push_back(now);
    }
    child.waitForExit(seconds(10));
    std::vector<double> lateMs;
    for (std::size_t i = 1; i < ends.size() && i < due.size(); ++i)
        lateMs.push_back(duration<double, std::milli>(ends[i] - ends[0]).count() - due[i]);
    if (ends.size() != due.size())
        std::printf("  the far end saw %zu frames of %zu\n", ends.size(), due.size());
    return figuresOf(lateMs);
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int speedup = 20, rampSeconds = 20;
    if (!args.empty() && args[0] == "--short") {
        speedup = 600, rampSeconds = 2;
        args.erase(args.begin());
    }
    if (!args.empty()) speedup = std::max(1, std::atoi(args[0].c_str()));
    if (args.size() > 1) rampSeconds = std::max(1, std::atoi(args[1].c_str()));
    char dir[] = "/tmp/program_bench-XXXXXX";
    if (!::mkdtemp(dir)) return 1;

    std::printf("temperature programs, each command against its due time:\n");
    std::printf("  a 10-minute Pt100 ramp up and down, due times divided by %d:\n", speedup);
    print("the plan in this process", fastTimetable(speedup));
    std::printf("  a %d s Pt100 ramp by 6175ZIZ-ctl program on a pseudo-terminal:\n", rampSeconds);
    print("6175ZIZ-ctl program", realRamp(rampSeconds, false, dir));
    print("6175ZIZ-ctl --realtime program", realRamp(rampSeconds, true, dir));
    const std::string refused = enterRealtime();
    if (!refused.empty()) std::printf("  real-time: %s\n", refused.c_str());
    print(refused.empty() ? "the plan in this process, real-time"
                          : "the plan in this process (real-time refused)",
          fastTimetable(speedup));
    std::filesystem::remove_all(dir);
    return 0;
}
