// 6175ZIZ-sim: stands in for the resistance box. It opens a pseudo-terminal,
// publishes it as port N in the port map, and prints one line per frame it
// receives: time, the raw bytes, and the resistance the box now presents.

#include "frame_check.h"
#include "link/port_map.h"
#include "program/command_line.h"
#include "program/port_selection.h"
#include "program/stop_signals.h"
#include "program/version_banner.h"

#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace zz;

namespace {

std::string timeStamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03lld", tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<long long>(ms));
    return buf;
}

void report(const sim::Frame &f, const termios &line, double &presented) {
    std::string problems;
    for (const auto &p : f.problems) problems += (problems.empty() ? "" : "; ") + p;
    for (const auto &p : sim::lineSettingProblems(line))
        problems += (problems.empty() ? "" : "; ") + p;
    if (f.ohms && f.problems.empty()) presented = *f.ohms;
    std::printf("%s  \"%s\"  %.1f ohm%s%s\n", timeStamp().c_str(), sim::escapeBytes(f.raw).c_str(),
                presented, problems.empty() ? "" : "  MALFORMED: ", problems.c_str());
    std::fflush(stdout);
}

constexpr const char *kHelp =
    "Usage: 6175ZIZ-sim [--port N] [--replace]\n"
    "A simulated 6175 resistance box on a pseudo-terminal, published as port N\n"
    "of the port map; prints each command it receives.\n"
    "\n"
    "      --port N    publish the simulated instrument as port N (1..255, default 1)\n"
    "      --replace   replace an existing port-map entry that points elsewhere\n"
    "      --help      display this help and exit\n"
    "      --version   output version information and exit\n";

int usage(const std::string &error) {
    std::fprintf(stderr, "6175ZIZ-sim: %s\n%s\n", error.c_str(),
                 program::helpHint("6175ZIZ-sim").c_str());
    return program::kUsageStatus;
}

}  // namespace

int main(int argc, char **argv) {
    std::string portText = "1";
    bool replace = false, help = false, version = false;
    CLI::App parser;
    program::usePlainStyle(parser);
    parser.add_option("--port", portText)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    parser.add_flag("--replace", replace);
    parser.add_flag("--help", help);
    parser.add_flag("--version", version);
    if (const std::string error =
            program::parseArguments(parser, program::commandLineArguments(argc, argv));
        !error.empty())
        return usage(error);
    if (help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (version) {
        std::fputs(zz::program::versionBanner("6175ZIZ-sim").c_str(), stdout);
        return 0;
    }
    const std::optional<int> chosen = program::readPortNumber(portText);
    if (!chosen) return usage("--port: \"" + portText + "\" is not a port number from 1 to 255");
    const int port = *chosen;

    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("6175ZIZ-sim: openpty");
        return 1;
    }
    // The slave stays open here so the master never sees a hang-up between
    // the panel's open/write/close cycles; its settings show what the panel set.
    const std::string slavePath = name;
    const fs::path entry = link::portMapEntry(port);

    std::error_code ec;
    fs::create_directories(entry.parent_path(), ec);
    if (fs::is_symlink(fs::symlink_status(entry, ec))) {
        const fs::path target = fs::read_symlink(entry, ec);
        if (!replace) {
            std::fprintf(stderr,
                         "6175ZIZ-sim: %s already points to %s; not replacing it (use --replace)\n",
                         entry.c_str(), target.c_str());
            return 1;
        }
        fs::remove(entry, ec);
    } else if (fs::exists(fs::symlink_status(entry, ec))) {
        std::fprintf(stderr, "6175ZIZ-sim: %s exists and is not a symbolic link; not touching it\n",
                     entry.c_str());
        return 1;
    }
    fs::create_symlink(slavePath, entry, ec);
    if (ec) {
        std::fprintf(stderr, "6175ZIZ-sim: cannot create %s: %s\n", entry.c_str(),
                     ec.message().c_str());
        return 1;
    }

    program::watchStopSignals();

    std::printf("6175ZIZ-sim: instrument on COM%d (%s -> %s); Ctrl+C ends\n", port, entry.c_str(),
                slavePath.c_str());
    std::fflush(stdout);

    sim::FrameSplitter splitter;
    double presented = 0.0;
    constexpr int kQuietMs = 500;  // a frame still open after this lacks its carriage return
    while (!program::stopSignal()) {
        pollfd p{master, POLLIN, 0};
        const int n = poll(&p, 1, kQuietMs);
        if (n < 0 && errno != EINTR) break;
        termios line{};
        tcgetattr(slave, &line);
        if (n == 0) {
            if (auto f = splitter.flush()) report(*f, line, presented);
            continue;
        }
        if (n < 0) continue;
        char buf[512];
        const ssize_t got = read(master, buf, sizeof buf);
        if (got <= 0) continue;
        for (const auto &f : splitter.feed(std::string_view(buf, static_cast<size_t>(got))))
            report(f, line, presented);
    }

    if (auto f = splitter.flush()) {
        termios line{};
        tcgetattr(slave, &line);
        report(*f, line, presented);
    }
    // Remove the entry only if it is still ours.
    if (fs::read_symlink(entry, ec) == fs::path(slavePath)) fs::remove(entry, ec);
    close(slave);
    close(master);
    return 0;
}
