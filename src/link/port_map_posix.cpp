// The port map on POSIX systems: "com<n>" links in the configuration folder.
#include "link/port_map.h"

#include "common/version.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>

#include <cstdlib>
#include <vector>

namespace zz::link {
namespace {

std::string homeDirectory() {
    if (const char *home = std::getenv("HOME"); home && *home) return home;
    // No $HOME (started from a service): ask the password database.
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_dir;
    return "/";
}

std::string configDirectory() {
    // Only an absolute $XDG_CONFIG_HOME counts; anything else means ~/.config.
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return xdg;
    return homeDirectory() + "/.config";
}

bool entryExists(const std::string &path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;  // a dangling link counts: the open names its target
}

// "~/..." reads better in a one-line description than the full home path.
std::string shortenedForDisplay(const std::string &path) {
    const std::string home = homeDirectory();
    if (home.size() > 1 && path.size() > home.size() && path.compare(0, home.size(), home) == 0 &&
        path[home.size()] == '/')
        return "~" + path.substr(home.size());
    return path;
}

}  // namespace

std::string programConfigDirectory() {
    return configDirectory() + "/" + common::kName;
}

std::string portMapDirectory() {
    return programConfigDirectory() + "/ports";
}

std::string portMapEntry(int port) {
    return portMapDirectory() + "/com" + std::to_string(port);
}

std::string portDevicePath(int port) {
    std::string entry = portMapEntry(port);
    if (entryExists(entry)) return entry;
    return "/dev/ttyS" + std::to_string(port - 1);
}

bool devicePathPresent(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string describePort(int port) {
    const std::string name = "COM" + std::to_string(port);
    const std::string entry = portMapEntry(port);
    const bool mapped = entryExists(entry);
    const std::string path = mapped ? entry : "/dev/ttyS" + std::to_string(port - 1);

    char *real = realpath(path.c_str(), nullptr);
    if (!real) return name + " \u2192 not present";
    std::string text = name + " \u2192 " + real;
    std::free(real);
    if (mapped) text += " (via " + shortenedForDisplay(entry) + ")";
    return text;
}

}  // namespace zz::link
