
#include "link/uucp_lock_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

namespace zz::link::uucp {
namespace {

// No kernel hands out larger process ids; a larger "binary" value is text.
constexpr long kMaxPid = 4194304;

bool isAsciiPidChar(char c) {
    return (c >= '0' && c <= '9') || c == ' ' || c == '\t' || c == '\n';
}

bool isLive(long pid) {
    if (pid <= 0 || pid == static_cast<long>(getpid())) return false;
    // EPERM: the process exists but belongs to someone else.
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The head of a lock file, or nothing when there is no such file.
std::optional<std::string> readHead(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? std::nullopt : std::optional<std::string>("");
    char buffer[64];
    ssize_t n;
    do n = ::read(fd, buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    ::close(fd);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

bool sameTime(const timespec &a, const timespec &b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool unchanged(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_nlink == b.st_nlink && sameTime(a.st_mtim, b.st_mtim) &&
           sameTime(a.st_ctim, b.st_ctim);
}

// A directory changed within the current clock tick may change again without
// its time stamp moving; only one left alone for a while can be trusted.
bool settled(const struct stat &st) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return st.st_mtim.tv_sec + 1 < now.tv_sec;
}

}  // namespace

std::vector<std::string> defaultLockDirectories() {
    return {"/var/lock", "/run/lock"};
}

std::vector<std::string> lockFileNames(const std::string &realDevice) {
    std::vector<std::string> names;
    const auto slash = realDevice.rfind('/');
    names.push_back("LCK.." + realDevice.substr(slash == std::string::npos ? 0 : slash + 1));
    constexpr std::string_view dev = "/dev/";
    if (realDevice.starts_with(dev)) {
        std::string classic = realDevice.substr(dev.size());
        for (char &c : classic)
            if (c == '/') c = '_';
        if ("LCK.." + classic != names.front()) names.push_back("LCK.." + classic);
    }
    return names;
}

long lockFilePid(std::string_view content) {
    bool ascii = true;
    for (char c : content) ascii = ascii && isAsciiPidChar(c);
    if (!ascii) {
        if (content.size() != sizeof(std::int32_t)) return 0;
        std::int32_t pid;
        std::memcpy(&pid, content.data(), sizeof pid);
        return pid > 0 && pid <= kMaxPid ? pid : 0;
    }
    size_t i = 0;
    while (i < content.size() && (content[i] == ' ' || content[i] == '\t')) ++i;
    long pid = 0;
    size_t digits = 0;
    for (; i < content.size() && content[i] >= '0' && content[i] <= '9'; ++i, ++digits) {
        pid = pid * 10 + (content[i] - '0');
        if (pid > kMaxPid) return 0;
    }
    return digits > 0 ? pid : 0;
}

LockFileCheck::LockFileCheck(const std::vector<std::string> &directories) {
    // /var/lock is usually a link to /run/lock: keep each real directory once.
    for (const std::string &dir : directories) {
        std::string path = dir;
        if (char *real = ::realpath(dir.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
        bool known = false;
        for (const Directory &d : directories_) known = known || d.path == path;
        if (!known) directories_.push_back(Directory{path, false, {}, {}});
    }
}

std::optional<LockHolder> LockFileCheck::find(const std::string &realDevice) {
    std::vector<std::string> names;
    for (Directory &dir : directories_) {
        struct stat st {};
        if (::stat(dir.path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            dir.quiet = false;
            continue;
        }
        if (dir.quiet && dir.device == realDevice && unchanged(dir.seen, st)) continue;

        if (names.empty()) names = lockFileNames(realDevice);
        bool anyLockFile = false;
        for (const std::string &name : names) {
            std::string path = dir.path + "/" + name;
            const auto content = readHead(path);
            if (!content) continue;
            anyLockFile = true;
            const long pid = lockFilePid(*content);
            if (isLive(pid)) {
                dir.quiet = false;
                return LockHolder{pid, std::move(path)};
            }
        }
        // A stale lock is looked at again each time: its process id may be reused.
        dir.quiet = !anyLockFile && settled(st);
        dir.device = realDevice;
        dir.seen = st;
    }
    return std::nullopt;
}

}  // namespace zz::link::uucp
