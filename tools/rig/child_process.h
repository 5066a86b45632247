#pragma once
// A program run as a child of the test: the X server, xdotool and the panel
// itself. Started with fork/exec so that the start instant is known exactly
// and the process can be watched through /proc while it runs.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zz::rig {

// Changes to the inherited environment: a value sets, nullopt removes.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // kills the child if it still runs, and reaps it
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts argv[0] (searched in PATH) in `directory` (empty: ours) with its
    // standard output and error appended to `outputPath`. `inheritFd`, when
    // not -1, stays open in the child under the same number.
    bool start(const std::vector<std::string> &argv, const EnvChanges &env = {},
               const std::string &directory = {}, const std::string &outputPath = "/dev/null",
               int inheritFd = -1);

    pid_t pid() const { return pid_; }
    std::chrono::steady_clock::time_point startedAt() const { return startedAt_; }
    bool started() const { return pid_ > 0; }
    bool running();

    // The raw wait status once the child has ended within the timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    std::optional<int> waitStatus() const { return status_; }
    void signal(int sig);
    void kill();  // SIGKILL and reap

private:
    bool reap(bool block);

    pid_t pid_ = -1;
    std::optional<int> status_;
    std::chrono::steady_clock::time_point startedAt_;
};

// "exit status 3", "killed by signal 11", ...
std::string describeWaitStatus(std::optional<int> status);
// The exit status of a normal end; nullopt after a signal or while running.
std::optional<int> exitCode(std::optional<int> status);

// Processor time (user + system) a live process has used, in seconds.
std::optional<double> processorSeconds(pid_t pid);
// Resident memory of a live process in KiB (VmRSS).
std::optional<long> residentKiB(pid_t pid);

// Runs a short helper to its end; true when it exits with status 0.
bool runTool(const std::vector<std::string> &argv, const EnvChanges &env,
             std::chrono::milliseconds timeout = std::chrono::seconds(15));

}  // namespace zz::rig
