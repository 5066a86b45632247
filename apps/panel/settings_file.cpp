#include "settings_file.h"

#include "common/number_text.h"

#include <QSaveFile>

#ifdef _WIN32
#include <filesystem>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace zz::panel {

Status writeStoredPort(int port) {
    // QSaveFile follows symbolic links and renames over whatever they lead
    // to, a device node included: only a regular or missing file gets that far.
    const program::SettingsFileCheck check = program::checkSettingsFile();
    if (!check.refusal.empty()) return program::settingsFileError(check.refusal);
        // A write-protected file stays as it is, though its directory would let
        // it be replaced. Asked for the identity the writing itself uses; Qt's
        // own check asks for the real one.
#ifdef _WIN32
    // Windows: the read-only attribute, which the standard library shows as
    // a file without write permission.
    std::error_code error;
    const auto perms = std::filesystem::status(program::kSettingsFileName, error).permissions();
    if (check.exists && !error &&
        (perms & std::filesystem::perms::owner_write) == std::filesystem::perms::none)
        return program::settingsFileError("Permission denied");
#else
    if (check.exists && ::faccessat(AT_FDCWD, program::kSettingsFileName, W_OK, AT_EACCESS) != 0)
        return program::settingsFileError(std::strerror(errno));
#endif

    QSaveFile file(QString::fromLatin1(program::kSettingsFileName));
    // In a directory that takes no new entries the temporary file cannot be
    // made, but a writable file there is still written, in place. A stop
    // half-way may then leave it empty or cut short: the price of being able
    // to store the port there at all.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return program::settingsFileError(file.errorString().toStdString());
    const std::string line = common::wholeNumberText(port) + "\r\n";
    file.write(line.data(), static_cast<qint64>(line.size()));
    if (!file.commit()) return program::settingsFileError(file.errorString().toStdString());
    return Status();
}

}  // namespace zz::panel
