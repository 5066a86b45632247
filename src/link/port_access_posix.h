#pragma once
// Whether this user may open a serial device and whether another program
// holds it, found without opening it: the device's mode against the user's
// groups, the UUCP lock files and the flocks in /proc/locks.

#include "link/port_scan.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace zz::link {

// The user a permission check is made for.
struct DeviceUser {
    uid_t uid = 0;
    std::vector<gid_t> groups;          // of this process
    std::vector<gid_t> groupsOnRecord;  // in the group database (may be newer)
    static DeviceUser current();
};

// Why `user` may not open a device of this mode, owner and group, naming the
// group and the fix; empty when the mode lets them.
std::string permissionProblem(const std::string &device, const struct stat &st,
                              const DeviceUser &user);

// Fills in mayOpen, accessProblem, busy and holder of each entry.
void checkAccess(std::vector<PresentPort> &ports);

}  // namespace zz::link
