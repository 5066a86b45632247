// Settings.txt read on Windows.
#include "program/stored_port.h"

#include "common/number_text.h"
#include "common/settings_record.h"
#include "link/text_win32.h"

#include <windows.h>

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

namespace zz::program {

namespace {

std::string lastErrorText() {
    return link::win32::errorText(GetLastError());
}

Status writeFile(const wchar_t *name, DWORD disposition, const std::string &line) {
    const HANDLE file =
        CreateFileW(name, GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return settingsFileError(lastErrorText());
    DWORD written = 0;
    const bool ok = WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr) &&
                    written == line.size() && FlushFileBuffers(file);
    const Status status = ok ? Status() : settingsFileError(lastErrorText());
    CloseHandle(file);
    return status;
}

}  // namespace

Status writeStoredPort(int port) {
    const SettingsFileCheck check = checkSettingsFile();
    if (!check.refusal.empty()) return settingsFileError(check.refusal);
    const DWORD attributes = GetFileAttributesW(L"Settings.txt");
    if (check.exists && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY))
        return settingsFileError("Access is denied");

    const std::string line = common::wholeNumberText(port) + "\r\n";
    const wchar_t *temporary = L"Settings.txt.new";
    if (Status s = writeFile(temporary, CREATE_ALWAYS, line); !s) {
        // No new entries here: a writable file is written in place instead.
        if (check.exists) return writeFile(L"Settings.txt", TRUNCATE_EXISTING, line);
        return s;
    }
    if (!MoveFileExW(temporary, L"Settings.txt",
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const Status failed = settingsFileError(lastErrorText());
        DeleteFileW(temporary);
        return failed;
    }
    return Status();
}

}  // namespace zz::program
