// How the panel follows our other programs: the time from another process's
// send (its last byte drained) until the panel's digits show the value, and
// what the idle watch of the device and its record costs in processor time.
//
//   follow_bench [sends] [idle seconds]      (default 50 sends, 20 s idle)

#include "bench_panel.h"
#include "link/command_record.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;  // one clock for every process

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Sends `command` from a child process through the link to port 1 and gives
// the moment its send returned, as the child saw it.
std::optional<Clock::time_point> sendFromChild(const std::string &command) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        zz::link::setSenderName("follow_bench-peer");
        zz::link::SerialControl serial;
        const bool sent = zz::link::sendCommand(serial, command).ok();
        const auto done = Clock::now().time_since_epoch().count();
        _exit(sent && write(pipeEnds[1], &done, sizeof done) == sizeof done ? 0 : 1);
    }
    close(pipeEnds[1]);
    Clock::rep done = 0;
    const bool got = read(pipeEnds[0], &done, sizeof done) == sizeof done;
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return Clock::time_point(Clock::duration(done));
}

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int sends = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int idleSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

    zz::bench::BenchPanel panel;
    if (!panel.show("follow_bench")) return 1;
    panel.window.watchLink();  // the map entry is new: start from its record

    // 1. Follow: values a child process sends, one at a time.
    std::vector<Clock::duration> delays;
    for (int i = 0; i < sends; ++i) {
        char value[16];
        std::snprintf(value, sizeof value, "%05d.%d", 100 + i, i % 10);
        const auto sent = sendFromChild(value);
        if (!sent) {
            std::fprintf(stderr, "follow_bench: the child could not send %s\n", value);
            return 1;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (panel.window.digits().displayText() != value && Clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (panel.window.digits().displayText() != value) {
            std::fprintf(stderr, "follow_bench: the panel did not follow %s\n", value);
            return 1;
        }
        delays.push_back(Clock::now() - *sent);
        panel.device->readAll(std::chrono::milliseconds(100), std::chrono::milliseconds(5));
    }
    std::sort(delays.begin(), delays.end());

    // 2. Idle: the event loop alone, the watch running.
    QEventLoop idle;
    const double before = processorSeconds();
    QTimer::singleShot(idleSeconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    const double perMinute = (processorSeconds() - before) * 60.0 / idleSeconds;

    const double median = millis(delays[delays.size() / 2]);
    std::printf(
        "panel follows another program's send: median %.2f ms, worst %.2f ms (%d sends; "
        "target median under 200 ms: %s)\n",
        median, millis(delays.back()), sends, median < 200.0 ? "met" : "NOT met");
    std::printf(
        "idle watch: %.3f s processor time per minute (measured over %d s; target under "
        "0.1 s: %s)\n",
        perMinute, idleSeconds, perMinute < 0.1 ? "met" : "NOT met");
    return 0;
}
