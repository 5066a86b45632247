#pragma once
// UUCP lock files: a program that uses a serial device announces it with a
// file "LCK..<device name>" in /var/lock or /run/lock holding its process id
// (ASCII, often blank-padded, or a 4-byte binary int from older programs).

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zz::link::uucp {

// The lock directories looked at unless a backend is told otherwise.
std::vector<std::string> defaultLockDirectories();

// The lock file names that can guard a device (its resolved path): the base
// name ("LCK..ttyUSB0"), and for devices in subfolders of /dev also the
// classic form with "/" replaced by "_" ("LCK..pts_5" for /dev/pts/5).
std::vector<std::string> lockFileNames(const std::string &realDevice);

// The process id written in a lock file, or 0 when none can be read.
long lockFilePid(std::string_view content);

struct LockHolder {
    long pid = 0;
    std::string lockFile;
};

// The search for the first lock on a device held by a live process other
// than this one, repeated for every open of a port. A stale lock (its process
// is gone) or a lock of our own does not count. A directory that held no lock
// file for the device is then watched with a single stat: until it changes,
// its files are not looked at again.
class LockFileCheck {
public:
    explicit LockFileCheck(const std::vector<std::string> &directories);
    std::optional<LockHolder> find(const std::string &realDevice);

private:
    struct Directory {
        std::string path;
        bool quiet = false;  // held no lock file for `device` as it was `seen`
        std::string device;
        struct stat seen {};
    };
    std::vector<Directory> directories_;
};

}  // namespace zz::link::uucp
