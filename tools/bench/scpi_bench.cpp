// The network server's own cost: from a client's command to the last byte
// of its frame on a pseudo-terminal, beside the link's own cycle for the
// same frame (sendCommand in this process), and commands per second with one
// and with eight clients, the real 6175ZIZ-scpi run as a process.
//
//   scpi_bench [commands [SERVER]]   (default 2000 for the latency, per
//                                     client; SERVER: another build of it)

#include "link/serial_control.h"
#include "rig/child_process.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// The port the server says it listens on, read from its log.
int serverPort(const std::string &logPath) {
    // "listening on 127.0.0.1:40123, ...": the number before the first comma.
    for (auto until = Clock::now() + 10s; Clock::now() < until; std::this_thread::sleep_for(10ms)) {
        std::ifstream log(logPath);
        std::stringstream text;
        text << log.rdbuf();
        const std::string s = text.str();
        const auto at = s.find("listening on ");
        const auto comma = s.find(',', at);
        if (at == s.npos || comma == s.npos) continue;
        const auto colon = s.rfind(':', comma);
        if (colon != s.npos && colon > at && colon + 1 < comma)
            return std::atoi(s.substr(colon + 1, comma - colon - 1).c_str());
    }
    return -1;
}

int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const std::string &text) {
    for (std::size_t at = 0; at < text.size();) {
        const ssize_t n = ::send(fd, text.data() + at, text.size() - at, MSG_NOSIGNAL);
        if (n <= 0) return false;
        at += std::size_t(n);
    }
    return true;
}

// Reads until `line` arrives (the answer to the final *OPC?).
bool awaitLine(int fd, const std::string &line) {
    std::string got;
    char buffer[256];
    while (got.find(line) == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 30000) <= 0) return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        got.append(buffer, std::size_t(n));
    }
    return true;
}

// Commands per second with `clients` connections, each sending `count`
// commands as fast as the server takes them, then *OPC? to know they are done.
double commandsPerSecond(int port, int clients, int count) {
    std::vector<int> fds;
    for (int c = 0; c < clients; ++c) fds.push_back(connectTo(port));
    std::atomic<int> failed{0};
    const auto t0 = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            std::string commands;
            for (int i = 0; i < count; ++i)
                commands += "RES " + std::to_string(c * 10000 + i % 10000) + "\n";
            if (!sendAll(fds[c], commands + "*OPC?\n") || !awaitLine(fds[c], "1\n")) ++failed;
        });
    }
    for (auto &t : threads) t.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    for (int fd : fds) ::close(fd);
    return failed ? 0.0 : clients * count / seconds;
}

}  // namespace

int main(int argc, char **argv) {
    const int commands = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    const char *serverPath = argc > 2 ? argv[2] : SCPI_PATH;
    zz::rig::PtyPair pty;
    zz::rig::PortMapSandbox sandbox;
    if (!pty.ok() || !sandbox.ok()) {
        std::fprintf(stderr, "scpi_bench: no pseudo-terminal or private directories\n");
        return 1;
    }
    const std::string logPath = sandbox.root() + "/server.log";
    zz::rig::ChildProcess server;
    if (!server.start({serverPath, "--device", pty.slavePath(), "--listen", "127.0.0.1:0"}, {},
                      sandbox.root(), logPath)) {
        std::fprintf(stderr, "scpi_bench: cannot start %s\n", serverPath);
        return 1;
    }
    const int port = serverPort(logPath);
    const int fd = port > 0 ? connectTo(port) : -1;
    if (fd < 0) {
        std::fprintf(stderr, "scpi_bench: the server does not listen (log %s)\n", logPath.c_str());
        return 1;
    }

    // Latency: command out, then the frame's eighth byte on the far side.
    std::vector<Clock::duration> latency;
    int lost = 0;
    for (int i = 0; i < commands + 100; ++i) {
        const auto t0 = Clock::now();
        sendAll(fd, "RES " + std::to_string(10000 + i % 1000) + "\n");
        const bool whole = pty.readExactly(8, 5000ms).size() == 8;
        if (i >= 100) latency.push_back(Clock::now() - t0);  // the first 100 warm up
        lost += whole ? 0 : 1;
    }
    ::close(fd);
    // The link alone: what every command costs whoever sends it.
    zz::link::SerialControl control;
    control.setDevicePath(pty.slavePath());
    std::vector<Clock::duration> cycle;
    for (int i = 0; i < commands; ++i) {
        const auto t0 = Clock::now();
        const bool sent = zz::link::sendCommand(control, "12345.6").ok();
        cycle.push_back(Clock::now() - t0);
        lost += sent && pty.readExactly(8, 5000ms).size() == 8 ? 0 : 1;
    }
    const auto percentile = [](std::vector<Clock::duration> &v, int p) {
        std::sort(v.begin(), v.end());
        return micros(v[v.size() * p / 100]);
    };
    const double median = percentile(latency, 50), p99 = percentile(latency, 99);
    const double linkMedian = percentile(cycle, 50), linkP99 = percentile(cycle, 99);

    // Throughput: the far side drained by a thread, as a box would take it.
    std::atomic<bool> stop{false};
    std::thread drain([&] {
        while (!stop) pty.readAll(200ms, 50ms);
    });
    const double one = commandsPerSecond(port, 1, commands);
    const double eight = commandsPerSecond(port, 8, commands / 4);
    stop = true;
    drain.join();
    server.signal(SIGTERM);
    const auto status = zz::rig::exitCode(server.waitForExit(10s));

    std::printf(
        "scpi command to last byte on the line: median %.0f us, 99th percentile %.0f us "
        "(%zu commands; targets 300 us and 2000 us: %s)\n",
        median, p99, latency.size(), median < 300 && p99 < 2000 ? "met" : "NOT met");
    std::printf(
        "  of which the link's own cycle (zz::link::sendCommand alone): median %.0f us, 99th "
        "percentile %.0f us; the server's part: median %.0f us\n",
        linkMedian, linkP99, median - linkMedian);
    std::printf(
        "scpi commands per second: %.0f with 1 client, %.0f with 8 clients "
        "(%.2f ms and %.2f ms each; a frame on the 9600-baud line takes 8.3 ms)\n",
        one, eight, 1000.0 / one, 1000.0 / eight);
    if (lost || one == 0.0 || eight == 0.0 || status != 0) {
        std::fprintf(stderr, "scpi_bench: %d frames lost, server %s\n", lost,
                     zz::rig::describeWaitStatus(server.waitStatus()).c_str());
        return 1;
    }
    return 0;
}
