#include "link/port_access_posix.h"

#include "link/sysfs_posix.h"
#include "link/uucp_lock_posix.h"

#include <grp.h>
#include <pwd.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>

namespace zz::link {
namespace {

std::string groupName(gid_t gid) {
    std::vector<char> buffer(4096);
    group entry{};
    group *found = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->gr_name;
    return std::to_string(gid);
}

std::string userName(uid_t uid) {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_name;
    return std::to_string(uid);
}

bool contains(const std::vector<gid_t> &groups, gid_t gid) {
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// The flocks of /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 00:19:5 0 EOF".
struct Flock {
    unsigned fsMajor = 0, fsMinor = 0;
    unsigned long inode = 0;
    long pid = 0;
};

std::vector<Flock> readFlocks() {
    std::vector<Flock> flocks;
    std::FILE *file = std::fopen("/proc/locks", "re");
    if (!file) return flocks;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        std::istringstream fields(line);
        std::string id, kind, mode, access, where;
        Flock f;
        fields >> id >> kind >> mode >> access >> f.pid >> where;
        if (kind == "FLOCK" &&
            std::sscanf(where.c_str(), "%x:%x:%lu", &f.fsMajor, &f.fsMinor, &f.inode) == 3)
            flocks.push_back(f);
    }
    std::fclose(file);
    return flocks;
}

std::string processName(long pid) {
    const auto comm = sysfs::readAttribute("/proc/" + std::to_string(pid) + "/comm");
    const std::string id = "pid " + std::to_string(pid);
    return comm && !comm->empty() ? *comm + " (" + id + ")" : id;
}

}  // namespace

DeviceUser DeviceUser::current() {
    DeviceUser user;
    user.uid = getuid();
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        user.groups.resize(static_cast<std::size_t>(count));
        const int got = getgroups(count, user.groups.data());
        user.groups.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    user.groups.push_back(getgid());
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(user.uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        int n = 64;
        std::vector<gid_t> list(static_cast<std::size_t>(n));
        if (getgrouplist(found->pw_name, found->pw_gid, list.data(), &n) < 0 && n > 64) {
            list.resize(static_cast<std::size_t>(n));
            getgrouplist(found->pw_name, found->pw_gid, list.data(), &n);
        }
        list.resize(static_cast<std::size_t>(std::max(n, 0)));
        user.groupsOnRecord = std::move(list);
    }
    return user;
}

std::string permissionProblem(const std::string &device, const struct stat &st,
                              const DeviceUser &user) {
    constexpr mode_t kOwnerRw = S_IRUSR | S_IWUSR, kGroupRw = S_IRGRP | S_IWGRP,
                     kOtherRw = S_IROTH | S_IWOTH;
    const mode_t mode = st.st_mode;
    if (user.uid == 0) return {};
    if (st.st_uid == user.uid && (mode & kOwnerRw) == kOwnerRw) return {};
    if (contains(user.groups, st.st_gid) && (mode & kGroupRw) == kGroupRw) return {};
    if ((mode & kOtherRw) == kOtherRw) return {};

    if ((mode & kGroupRw) == kGroupRw && st.st_uid != user.uid) {
        const std::string group = groupName(st.st_gid);
        // Membership counts from the next login on.
        if (contains(user.groupsOnRecord, st.st_gid))
            return "only the group " + group + " may open " + device +
                   "; you are in it since your last login: log in again";
        return "only the group " + group + " may open " + device + ": sudo adduser $USER " + group +
               ", then log in again";
    }
    return "only " + userName(st.st_uid) + " may open " + device;
}

void checkAccess(std::vector<PresentPort> &ports) {
    const DeviceUser user = DeviceUser::current();
    const std::vector<Flock> flocks = readFlocks();
    uucp::LockFileCheck lockFiles(uucp::defaultLockDirectories());
    for (PresentPort &port : ports) {
        struct stat st {};
        const auto real = sysfs::realPath(port.device);
        if (!real || ::stat(real->c_str(), &st) != 0) {
            port.mayOpen = false;
            port.accessProblem = port.device + " does not exist";
            continue;
        }
        if (::access(real->c_str(), R_OK | W_OK) != 0) {
            const int error = errno;
            port.mayOpen = false;
            port.accessProblem = permissionProblem(port.device, st, user);
            if (port.accessProblem.empty())
                port.accessProblem = port.device + ": " + std::strerror(error);
        }
        if (const auto lock = lockFiles.find(*real)) {
            port.busy = true;
            port.holder = processName(lock->pid) + ", " + lock->lockFile;
            continue;
        }
        for (const Flock &f : flocks) {
            if (f.fsMajor != major(st.st_dev) || f.fsMinor != minor(st.st_dev) ||
                f.inode != st.st_ino)
                continue;
            port.busy = true;
            port.holder = processName(f.pid);
            break;
        }
    }
}

}  // namespace zz::link
