// Settings.txt read on Windows.
#include "program/stored_port.h"

#include "common/number_text.h"
#include "common/settings_record.h"

#include <filesystem>
#include <fstream>

namespace zz::program {

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
        return storedPortFromRecord({});
    }
    std::ifstream file(kSettingsFileName, std::ios::binary);
    if (!file) return {settingsFileError("cannot be opened"), 0};
    char bytes[common::kSettingsRecordLength];
    file.read(bytes, sizeof bytes);
    if (file.bad()) return {settingsFileError("cannot be read"), 0};
    return storedPortFromRecord(std::string(bytes, std::size_t(file.gcount())));
}

}  // namespace zz::program
