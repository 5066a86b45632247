
#include "link/device_path_posix.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace zz::link {

DeviceResolver::Result DeviceResolver::resolve(const std::string &path) {
    Result result;
    if (::stat(path.c_str(), &result.st) != 0) {
        result.error = errno;
        path_.clear();
        return result;
    }
    // Same path, same device node as last time: its real name is known.
    if (!path_.empty() && path == path_ && result.st.st_dev == st_.st_dev &&
        result.st.st_ino == st_.st_ino && result.st.st_rdev == st_.st_rdev &&
        result.st.st_mode == st_.st_mode) {
        result.device = device_;
        return result;
    }
    char *real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        result.error = errno;
        path_.clear();
        return result;
    }
    result.device = real;
    std::free(real);
    path_ = path;
    device_ = result.device;
    st_ = result.st;
    return result;
}

std::string missingTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        char target[4096];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        if (n <= 0) break;
        std::string next(target, static_cast<size_t>(n));
        if (next.front() != '/') next = path.substr(0, path.rfind('/') + 1) + next;
        path = std::move(next);
    }
    return path;
}

}  // namespace zz::link
