#include "scpi_rig.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace zz::bench {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

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

}  // namespace

bool ScpiRig::start(const std::string &path) {
    if (!pty.ok() || !sandbox_.ok()) {
        std::fprintf(stderr, "scpi_bench: no pseudo-terminal or private directories\n");
        return false;
    }
    log_ = sandbox_.root() + "/server.log";
    // Its own directories, whichever sandbox set the environment last.
    const rig::EnvChanges env{{"XDG_CONFIG_HOME", sandbox_.root()},
                              {"XDG_RUNTIME_DIR", sandbox_.runtimeDirectory()}};
    // The server runs in the sandbox: a relative path would name nothing there.
    const std::string program = std::filesystem::absolute(path).string();
    if (!server_.start({program, "--device", pty.slavePath(), "--listen", "127.0.0.1:0", "--http",
                        "off", "--no-vxi11", "--no-announce"},
                       env, sandbox_.root(), log_)) {
        std::fprintf(stderr, "scpi_bench: cannot start %s\n", path.c_str());
        return false;
    }
    port = serverPort(log_);
    fd_ = port > 0 ? connectTo(port) : -1;
    if (fd_ < 0) {
        std::fprintf(stderr, "scpi_bench: %s does not listen (log %s)\n", path.c_str(),
                     log_.c_str());
        return false;
    }
    return true;
}

bool ScpiRig::stop() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    server_.signal(SIGTERM);
    const auto status = rig::exitCode(server_.waitForExit(10s));
    if (status == 0) return true;
    std::fprintf(stderr, "scpi_bench: the server %s (log %s)\n",
                 rig::describeWaitStatus(server_.waitStatus()).c_str(), log_.c_str());
    return false;
}

Clock::duration ScpiRig::commandToLastByte(int value) {
    const auto t0 = Clock::now();
    const bool sent = sendAll(fd_, "RES " + std::to_string(value) + "\n");
    const bool whole = sent && pty.readExactly(8, 5000ms).size() == 8;
    return whole ? Clock::now() - t0 : -1ns;
}

double ScpiRig::commandsPerSecond(int clients, int count) {
    std::atomic<bool> stopDraining{false};
    std::thread drain([&] {
        while (!stopDraining) pty.readAll(200ms, 50ms);
    });
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
    stopDraining = true;
    drain.join();
    pty.readAll(100ms, 20ms);  // what was still on its way
    return failed ? 0.0 : clients * count / seconds;
}

}  // namespace zz::bench
