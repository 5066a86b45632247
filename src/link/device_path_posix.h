#pragma once
// From the path a port is opened through (a map entry, a link in
// /dev/serial/by-id, a device) to the real device behind it.

#include <sys/stat.h>

#include <string>

namespace zz::link {

class DeviceResolver {
public:
    struct Result {
        int error = 0;       // errno when the path leads nowhere
        std::string device;  // the real path, links resolved
        struct stat st {};   // of the device
    };

    // Follows every link. The real name of the last device is remembered, so
    // that opening the same device again costs one stat instead of a walk
    // along the whole path.
    Result resolve(const std::string &path);

private:
    std::string path_;
    std::string device_;
    struct stat st_ {};
};

// The path a dangling link finally points at, so that a message can name the
// missing device rather than the map entry.
std::string missingTarget(std::string path);

}  // namespace zz::link
