#include "program/stored_port.h"

#include "common/number_text.h"
#include "common/settings_record.h"

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <filesystem>
#include <string_view>

namespace zz::program {

std::string settingsPath() {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::current_path(ec);
    // A current directory that cannot be named (removed) must not turn into "/".
    return dir.empty() ? kSettingsFileName : (dir / kSettingsFileName).string();
}

Status settingsFileError(const std::string &reason) {
    return Status::failure(kSettingsFileError, settingsPath() + ": " + reason);
}

namespace {

StoredPort portFromRecord(const std::string &record) {
    const auto port = common::portFromSettingsBytes(record);
    if (!port) return {Status::failure(common::kOverflowError, common::kOverflowText), 0};
    return {Status(), *port};
}

}  // namespace

#ifdef _WIN32

// Windows has no FIFOs or devices among a directory's files to beware of;
// the standard library's view of the file does.
SettingsFileCheck checkSettingsFile() {
    namespace fs = std::filesystem;
    SettingsFileCheck check;
    std::error_code ec;
    const fs::file_status st = fs::status(kSettingsFileName, ec);
    if (fs::exists(st)) {
        check.exists = fs::is_regular_file(st);
        if (!check.exists)
            check.refusal =
                fs::is_directory(st) ? "not a regular file but a directory" : "not a regular file";
    } else if (ec && ec != std::errc::no_such_file_or_directory) {
        check.refusal = ec.message();
    }
    return check;
}

StoredPort readStoredPort() {
    const SettingsFileCheck check = checkSettingsFile();
    if (!check.refusal.empty()) return {settingsFileError(check.refusal), 0};
    if (!check.exists) {
        // A missing file is created empty, as on every platform.
        if (!std::ofstream(kSettingsFileName, std::ios::binary | std::ios::app))
            return {settingsFileError("cannot be created"), 0};
        return portFromRecord({});
    }
    std::ifstream file(kSettingsFileName, std::ios::binary);
    if (!file) return {settingsFileError("cannot be opened"), 0};
    char bytes[common::kSettingsRecordLength];
    file.read(bytes, sizeof bytes);
    if (file.bad()) return {settingsFileError("cannot be read"), 0};
    return portFromRecord(std::string(bytes, std::size_t(file.gcount())));
}

#else

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

    return portFromRecord(record);
}

#endif

}  // namespace zz::program
