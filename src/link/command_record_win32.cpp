// The last-command records on Windows, under %LOCALAPPDATA%\6175ZIZ.

#include "common/version.h"
#include "link/command_record.h"
#include "link/text_win32.h"

#include <windows.h>

#include <cctype>

namespace zz::link {

namespace {

// More than any record: parseRecordText refuses what is too long.
constexpr DWORD kReadLimit = 1024;

// A record open in another process (a panel reading it, a virus scanner)
// cannot be replaced on Wine, nor on Windows when the opener does not share
// deletion; such a reader lets go within moments, so the sender waits for
// it rather than lose the record. A second in all, then it gives up.
constexpr int kMoveTries = 50;
constexpr DWORD kMoveRetryMs = 20;

bool replaceFile(const std::wstring &from, const std::wstring &to) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        const DWORD error = GetLastError();
        if (attempt == kMoveTries ||
            (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
            return false;
        Sleep(kMoveRetryMs);
    }
}

// "\\.\COM3" and "COM3" are both port COM3; a device is known by its name.
std::string deviceName(const std::string &devicePath) {
    std::string name = devicePath.substr(devicePath.find_last_of("\\/") + 1);
    for (char &c : name) {
        const auto u = static_cast<unsigned char>(c);
        c = std::isalnum(u) ? char(std::toupper(u)) : '_';
    }
    return name;
}

}  // namespace

long currentProcessId() {
    return long(GetCurrentProcessId());
}

std::string commandRecordDirectory() {
    const wchar_t *base = _wgetenv(L"LOCALAPPDATA");
    if (!base || !*base) return {};
    const std::wstring path = std::wstring(base) + L"\\" + win32::widen(common::kName);
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return win32::narrow(path);
}

std::string commandRecordPath(const std::string &devicePath) {
    const std::string name = deviceName(devicePath);
    if (name.empty()) return {};
    const std::string directory = commandRecordDirectory();
    if (directory.empty()) return {};
    return directory + "\\device-" + name;
}

bool writeCommandRecord(const std::string &devicePath, const CommandRecord &record) {
    const std::string path = commandRecordPath(devicePath);
    if (path.empty()) return false;
    const std::string text = recordText(record);
    // A file of our own beside the record, then one replacing move: readers
    // see the old record or the new one.
    const std::wstring target = win32::widen(path);
    const std::wstring temporary = target + L"." + std::to_wstring(currentProcessId()) + L".new";
    HANDLE h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(h, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    const bool closed = CloseHandle(h);
    if (ok && closed && replaceFile(temporary, target)) return true;
    DeleteFileW(temporary.c_str());
    return false;
}

std::optional<CommandRecord> readCommandRecord(const std::string &devicePath) {
    const std::string path = commandRecordPath(devicePath);
    if (path.empty()) return std::nullopt;
    // Shared for writing and deleting: a reader never holds up a sender's move.
    HANDLE h = CreateFileW(win32::widen(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text(kReadLimit, '\0');
    DWORD got = 0;
    const bool ok = GetFileType(h) == FILE_TYPE_DISK &&
                    ReadFile(h, text.data(), DWORD(text.size()), &got, nullptr);
    CloseHandle(h);
    if (!ok) return std::nullopt;
    text.resize(got);
    return parseRecordText(text);
}

}  // namespace zz::link
