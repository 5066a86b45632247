// The last-command records on POSIX systems, under $XDG_RUNTIME_DIR/6175ZIZ.

#include "common/version.h"
#include "link/command_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zz::link {

namespace {

// Ours alone: a real directory (not a link), our own, closed to others.
bool privateDirectory(const std::string &path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & 077) == 0;
}

std::string baseDirectory() {
    // Only an absolute $XDG_RUNTIME_DIR counts, as for the other XDG variables.
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        return std::string(runtime) + "/" + common::kName;
    const char *tmp = std::getenv("TMPDIR");
    const std::string tmpDir = tmp && tmp[0] == '/' ? tmp : "/tmp";
    return tmpDir + "/" + common::kName + "-" + std::to_string(geteuid());
}

}  // namespace

long currentProcessId() {
    return long(::getpid());
}

std::string commandRecordDirectory() {
    const std::string path = baseDirectory();
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return {};
    return privateDirectory(path) ? path : std::string();
}

std::string commandRecordPath(const std::string &devicePath) {
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return {};
    const std::string directory = commandRecordDirectory();
    if (directory.empty()) return {};
    return directory + "/device-" + std::to_string(major(st.st_rdev)) + "-" +
           std::to_string(minor(st.st_rdev));
}

bool writeCommandRecord(const std::string &devicePath, const CommandRecord &record) {
    const std::string path = commandRecordPath(devicePath);
    if (path.empty()) return false;
    const std::string text = recordText(record);
    // A name of our own beside the record, then one rename: readers never see
    // half a record, and two senders never write into the same file.
    const std::string temporary = path + "." + std::to_string(getpid()) + ".new";
    ::unlink(temporary.c_str());  // left by a sender of this pid that was killed
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

std::optional<CommandRecord> readCommandRecord(const std::string &devicePath) {
    const std::string path = commandRecordPath(devicePath);
    if (path.empty()) return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::string text(kMaxRecordBytes + 1, '\0');
    ssize_t got = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) got = ::read(fd, text.data(), text.size());
    ::close(fd);
    if (got < 0) return std::nullopt;
    text.resize(static_cast<std::size_t>(got));
    return parseRecordText(text);
}

}  // namespace zz::link
