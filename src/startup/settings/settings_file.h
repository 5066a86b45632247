#pragma once
// "Settings.txt" in the current directory: the port number as decimal digits
// followed by CR LF. Only its first two bytes are read back, so "123" reads
// as 12. The path is computed anew at every access.

#include "status.h"

#include <QString>

#include <cstdint>

namespace zz {

QString settingsFilePath();

struct StoredPort {
    Status status;          // the OS reason when the file cannot be opened or created
    std::int16_t port = 0;  // 0: no port chosen yet
};

// Reads record 1 (the first two bytes); a missing file is created empty and gives 0.
StoredPort readStoredPort();

// Replaces the file atomically with the port's digits and CR LF, so a stop
// half-way never leaves a torn or empty file.
Status writeStoredPort(int port);

}  // namespace zz
