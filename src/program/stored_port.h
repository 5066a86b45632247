#pragma once
// Reading "Settings.txt" in the current directory. Plain C++ (POSIX calls;
// the standard library on Windows), so that programs without windows read
// the port exactly as the panel does.
// Only a regular file (through symbolic links too) is ever opened: a FIFO
// would block the start, and opening a serial device raises its modem lines.

#include "common/status.h"

#include <cstdint>
#include <string>

namespace zz::program {

inline constexpr char kSettingsFileName[] = "Settings.txt";

// Error numbers of the settings file.
inline constexpr int kSettingsFileError = 75;  // path/file access error

// The file under the current directory as it is named now; the bare name
// when the current directory cannot be named (removed).
std::string settingsPath();

// A failure numbered kSettingsFileError: the file's path and the reason.
Status settingsFileError(const std::string &reason);

// What the file's name leads to, found without opening anything.
struct SettingsFileCheck {
    bool exists = false;  // a regular file
    std::string refusal;  // why it cannot serve as the settings file; empty when it can
};
SettingsFileCheck checkSettingsFile();

struct StoredPort {
    Status status;          // the reason when the file cannot be opened or created
    std::int16_t port = 0;  // 0: no port chosen yet
};

// The port of a settings record's bytes, as the panel reads it.
StoredPort storedPortFromRecord(const std::string &record);

// Reads record 1 (the first two bytes); a missing file is created empty and
// gives 0. An existing file is only read, so a write-protected one still
// gives its port.
StoredPort readStoredPort();

// Replaces the file atomically with the port's digits and CR LF (a
// temporary file beside it, renamed over it), so a stop half-way never
// leaves a torn or empty file; where the directory takes no new entries, a
// writable file is written in place instead. Only a regular file is
// replaced (or a missing one created); anything else the name leads to is
// refused and left as it is, as is a write-protected file.
Status writeStoredPort(int port);

}  // namespace zz::program
