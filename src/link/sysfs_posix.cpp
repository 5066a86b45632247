#include "link/sysfs_posix.h"

#include "link/sysfs_text.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zz::link::sysfs {

std::optional<std::string> readBounded(const std::string &path) {
    // O_NONBLOCK: a FIFO planted in the tree opens at once and is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes(kMaxAttributeBytes, '\0');
    std::size_t have = 0;
    while (have < bytes.size()) {
        const std::size_t wanted = bytes.size() - have;
        const ssize_t n = ::read(fd, bytes.data() + have, wanted);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        have += static_cast<std::size_t>(n);
        // sysfs hands out an attribute in one read; a short one is the end.
        if (static_cast<std::size_t>(n) < wanted) break;
    }
    ::close(fd);
    bytes.resize(have);
    return bytes;
}

std::optional<std::string> readAttribute(const std::string &path) {
    auto bytes = readBounded(path);
    if (!bytes) return std::nullopt;
    return attributeText(*bytes);
}

std::optional<std::string> realPath(const std::string &path) {
    // The kernel resolves the whole path in one open, where realpath(3)
    // looks at each part of it in turn: deep sysfs paths cost a tenth.
    const int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    char link[32];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char buffer[4096];
    const ssize_t n = ::readlink(link, buffer, sizeof buffer);
    ::close(fd);
    if (n > 0 && static_cast<std::size_t>(n) < sizeof buffer && buffer[0] == '/')
        return std::string(buffer, static_cast<std::size_t>(n));
    // No /proc: the slow way.
    char *real = ::realpath(path.c_str(), nullptr);
    if (!real) return std::nullopt;
    std::string text = real;
    std::free(real);
    return text;
}

std::string baseName(const std::string &path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string parentOf(const std::string &path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::vector<std::string> directoryNames(const std::string &path, std::size_t limit) {
    std::vector<std::string> names;
    DIR *dir = ::opendir(path.c_str());
    if (!dir) return names;
    while (names.size() < limit) {
        const dirent *entry = ::readdir(dir);
        if (!entry) break;
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

std::string subsystemOf(const std::string &deviceFolder) {
    const auto real = realPath(deviceFolder + "/subsystem");
    return real ? baseName(*real) : std::string();
}

}  // namespace zz::link::sysfs
