#include "rig/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char **environ;

namespace zz::rig {

using namespace std::chrono;

namespace {

std::vector<std::string> environmentWith(const EnvChanges &changes) {
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!changes.count(name)) env.push_back(entry);
    }
    for (const auto &[name, value] : changes)
        if (value) env.push_back(name + "=" + *value);
    return env;
}

std::vector<char *> pointers(std::vector<std::string> &strings) {
    std::vector<char *> p;
    for (auto &s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

}  // namespace

ChildProcess::~ChildProcess() {
    kill();
}

bool ChildProcess::start(const std::vector<std::string> &argv, const EnvChanges &env,
                         const std::string &directory, const std::string &outputPath,
                         int inheritFd) {
    if (started() || argv.empty()) return false;
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls.
    std::vector<std::string> args = argv;
    std::vector<std::string> envStrings = environmentWith(env);
    std::vector<char *> argp = pointers(args);
    std::vector<char *> envp = pointers(envStrings);
    const char *dir = directory.empty() ? nullptr : directory.c_str();
    const char *out = outputPath.c_str();

    startedAt_ = steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        ::setpgid(0, 0);  // its own group: a stray grandchild can be ended with it
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a test killed on timeout
        const int in = ::open("/dev/null", O_RDONLY);
        const int o = ::open(out, O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (in < 0 || o < 0 || (dir && ::chdir(dir) != 0)) ::_exit(126);
        ::dup2(in, 0);
        ::dup2(o, 1);
        ::dup2(o, 2);
        if (inheritFd >= 0) ::fcntl(inheritFd, F_SETFD, 0);
        ::execvpe(argp[0], argp.data(), envp.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);  // also here, so that kill() never races the child
    pid_ = pid;
    status_.reset();
    return true;
}

bool ChildProcess::reap(bool block) {
    if (!started() || status_) return true;
    int status = 0;
    pid_t r;
    do r = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    while (r < 0 && errno == EINTR);
    if (r == pid_) {
        status_ = status;
        return true;
    }
    return r < 0;  // not our child any more: nothing left to wait for
}

bool ChildProcess::running() {
    return started() && !reap(false);
}

std::optional<int> ChildProcess::waitForExit(milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    while (!reap(false)) {
        if (steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(5ms);
    }
    return status_;
}

void ChildProcess::signal(int sig) {
    if (running()) ::kill(pid_, sig);
}

void ChildProcess::kill() {
    if (!running()) return;
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    reap(true);
}

std::string describeWaitStatus(std::optional<int> status) {
    if (!status) return "still running";
    if (WIFEXITED(*status)) return "exit status " + std::to_string(WEXITSTATUS(*status));
    if (WIFSIGNALED(*status))
        return "killed by signal " + std::to_string(WTERMSIG(*status)) + " (" +
               ::strsignal(WTERMSIG(*status)) + ")";
    return "wait status " + std::to_string(*status);
}

std::optional<int> exitCode(std::optional<int> status) {
    if (!status || !WIFEXITED(*status)) return std::nullopt;
    return WEXITSTATUS(*status);
}

std::optional<double> processorSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    // The command name may hold blanks and parentheses: fields start after the last ')'.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Field 3 (state) is the first here; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    if (!fields) return std::nullopt;
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

std::optional<long> residentKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return std::nullopt;
}

bool runTool(const std::vector<std::string> &argv, const EnvChanges &env, milliseconds timeout) {
    ChildProcess tool;
    if (!tool.start(argv, env)) return false;
    return exitCode(tool.waitForExit(timeout)) == 0;
}

}  // namespace zz::rig
