// Writing a port's map entry: what a user did by hand with
// `mkdir -p ~/.config/6175ZIZ/ports; ln -s DEVICE ~/.config/6175ZIZ/ports/com3`.
#include "link/port_map.h"

#include "link/sysfs_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace zz::link {
namespace {

Status failure(const std::string &text, int error) {
    return Status::failure(error ? error : Status::kFailed,
                           error ? text + ": " + std::strerror(error) : text);
}

Status makeFolders(const std::string &path) {
    if (path.empty() || path == "/") return {};
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? Status() : failure(path + " is not a directory", ENOTDIR);
    if (Status parent = makeFolders(sysfs::parentOf(path)); !parent) return parent;
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        return failure("cannot make " + path, errno);
    return {};
}

std::optional<std::string> linkText(const std::string &path) {
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof buffer) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(n));
}

// Whether the entry already leads to the target's device.
bool sameDevice(const std::string &entry, const std::string &target) {
    const auto a = sysfs::realPath(entry), b = sysfs::realPath(target);
    return a && b && *a == *b;
}

}  // namespace

Status mapPort(int port, const std::string &target, bool replace) {
    if (!isPortNumber(port)) return failure("port " + std::to_string(port) + " is not 1 to 255", 0);
    if (target.empty() || target[0] != '/')
        return failure("the map entry must lead to an absolute path, not \"" + target + "\"", 0);
    const std::string entry = portMapEntry(port);
    struct stat st {};
    if (::lstat(entry.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return failure(entry + " is a directory", EISDIR);
        const auto text = linkText(entry);
        if (!replace && !(text && *text == target) && !sameDevice(entry, target)) {
            const std::string now = S_ISLNK(st.st_mode) && text ? *text : entry;
            return failure("port " + std::to_string(port) + " already leads to " + now + " (" +
                               entry + "); --force replaces it",
                           0);
        }
    }
    if (Status folders = makeFolders(portMapDirectory()); !folders) return folders;
    // A new link renamed over the old entry: a program opening the port sees
    // the old entry or the new one, never none.
    const std::string fresh = entry + ".new-" + std::to_string(::getpid());
    ::unlink(fresh.c_str());
    if (::symlink(target.c_str(), fresh.c_str()) != 0)
        return failure("cannot make " + fresh, errno);
    if (::rename(fresh.c_str(), entry.c_str()) != 0) {
        const int error = errno;
        ::unlink(fresh.c_str());
        return failure("cannot write " + entry, error);
    }
    return {};
}

}  // namespace zz::link
