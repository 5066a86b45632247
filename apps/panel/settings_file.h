#pragma once
// "Settings.txt" in the current directory: the port number as decimal digits
// followed by CR LF. Only its first two bytes are read back, so "123" reads
// as 12. The path is computed anew at every access. Reading lives in
// stored_port.h (no Qt); writing goes through QSaveFile.

#include "common/status.h"
#include "program/stored_port.h"

namespace zz::panel {

// Replaces the file atomically with the port's digits and CR LF, so a stop
// half-way never leaves a torn or empty file; where the directory takes no
// new entries, a writable file is written in place instead. Only a regular
// file is replaced (or a missing one created); anything else the name leads
// to is refused and left as it is, as is a write-protected file.
Status writeStoredPort(int port);

}  // namespace zz::panel
