// Settings.txt read on POSIX systems: never through a FIFO, a device or a
// link's surprise.
#include "program/stored_port.h"

#include "common/number_text.h"
#include "common/settings_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zz::program {

namespace {

std::string notRegular(mode_t mode) {
    const char *kind = S_ISDIR(mode)    ? "a directory"
                       : S_ISFIFO(mode) ? "a FIFO"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "of an unknown kind";
    return std::string("not a regular file but ") + kind;
}

// Reads up to the record's length from what `fd` names; the reason when
// that cannot be done.
std::string readRecord(int fd, std::string &record) {
    // Checked again on what was opened: the name may lead elsewhere by now.
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return notRegular(st.st_mode);
    char bytes[common::kSettingsRecordLength];
    std::size_t n = 0;
    while (n < sizeof bytes) {
        const ssize_t got = ::read(fd, bytes + n, sizeof bytes - n);
        if (got == 0) break;
        if (got > 0)
            n += std::size_t(got);
        else if (errno != EINTR)
            return std::strerror(errno);
    }
    record.assign(bytes, n);
    return {};
}

}  // namespace

SettingsFileCheck checkSettingsFile() {
    SettingsFileCheck check;
    struct stat st {};
    if (::stat(kSettingsFileName, &st) == 0) {
        check.exists = S_ISREG(st.st_mode);
        if (!check.exists) check.refusal = notRegular(st.st_mode);
    } else if (errno != ENOENT) {  // missing, or a link to nothing: that can still be created
        check.refusal = std::strerror(errno);
    }
    return check;
}

StoredPort readStoredPort() {
    const SettingsFileCheck check = checkSettingsFile();
    if (!check.refusal.empty()) return {settingsFileError(check.refusal), 0};

    // A missing file is created empty, as the record reader always did. The
    // name stays relative: the open itself resolves the current directory.
    const int fd =
        ::open(kSettingsFileName,
               O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (check.exists ? 0 : O_CREAT), 0666);
    if (fd < 0) return {settingsFileError(std::strerror(errno)), 0};
    std::string record;
    const std::string failed = readRecord(fd, record);
    ::close(fd);
    if (!failed.empty()) return {settingsFileError(failed), 0};

    return storedPortFromRecord(record);
}

}  // namespace zz::program

namespace zz::program {

namespace {

Status writeAll(int fd, const std::string &bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += std::size_t(n);
        else if (errno != EINTR)
            return settingsFileError(std::strerror(errno));
    }
    return Status();
}

// In place, where no file can be made beside it: a stop half-way may leave
// it cut short, the price of storing the port there at all.
Status writeInPlace(const std::string &line) {
    const int fd = ::open(kSettingsFileName, O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return settingsFileError(std::strerror(errno));
    Status written = writeAll(fd, line);
    if (::close(fd) != 0 && written) written = settingsFileError(std::strerror(errno));
    return written;
}

}  // namespace

Status writeStoredPort(int port) {
    const SettingsFileCheck check = checkSettingsFile();
    if (!check.refusal.empty()) return settingsFileError(check.refusal);
    // A write-protected file stays as it is, though its directory would let
    // it be replaced; asked for the identity the writing itself uses.
    if (check.exists && ::faccessat(AT_FDCWD, kSettingsFileName, W_OK, AT_EACCESS) != 0)
        return settingsFileError(std::strerror(errno));

    const std::string line = common::wholeNumberText(port) + "\r\n";
    // The file the name leads to, so a link to it stays a link.
    std::filesystem::path target = kSettingsFileName;
    if (struct stat link{}; ::lstat(kSettingsFileName, &link) == 0 && S_ISLNK(link.st_mode)) {
        std::error_code ec;  // a link to nothing yet resolves as far as it can
        target = std::filesystem::weakly_canonical(std::filesystem::absolute(target), ec);
        if (ec) return settingsFileError(ec.message());
    }
    std::string temporary = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        if (check.exists) return writeInPlace(line);
        return settingsFileError(std::strerror(errno));
    }
    struct stat st {};
    const mode_t mode =
        check.exists && ::stat(kSettingsFileName, &st) == 0 ? (st.st_mode & 07777) : (0666 & ~[] {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            return mask;
        }());
    Status written = writeAll(fd, line);
    if (written && ::fchmod(fd, mode) != 0) written = settingsFileError(std::strerror(errno));
    if (written && ::fsync(fd) != 0) written = settingsFileError(std::strerror(errno));
    if (::close(fd) != 0 && written) written = settingsFileError(std::strerror(errno));
    if (written && ::rename(temporary.c_str(), target.c_str()) != 0)
        written = settingsFileError(std::strerror(errno));
    if (!written) ::unlink(temporary.c_str());
    return written;
}

}  // namespace zz::program
