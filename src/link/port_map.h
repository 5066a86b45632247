#pragma once
// Which device a port number names on this machine.
//
// Windows: port n is "COMn". POSIX: port n is the entry "com<n>" of the
// directory "6175ZIZ/ports" (the program's name, common/version.h) under the
// user's configuration directory ($XDG_CONFIG_HOME, default ~/.config) when
// that entry exists (normally a symbolic link to /dev/ttyUSB0,
// /dev/serial/by-id/..., a pseudo-terminal); otherwise /dev/ttyS<n-1>.

#include "common/status.h"

#include <string>

namespace zz::link {

inline constexpr int kMinPort = 1;
inline constexpr int kMaxPort = 255;

// COM1 to COM255: the one range check of a port number.
inline constexpr bool isPortNumber(long long port) {
    return port >= kMinPort && port <= kMaxPort;
}

// The program's folder under the user's configuration directory
// ($XDG_CONFIG_HOME/6175ZIZ, default ~/.config/6175ZIZ; on Windows
// %APPDATA%\6175ZIZ); it need not exist.
std::string programConfigDirectory();

// The directory that holds the "com<n>" entries (it need not exist).
std::string portMapDirectory();

// The path of the "com<n>" entry in that directory (it need not exist).
std::string portMapEntry(int port);

// The device path port n is opened through (the map entry or the default).
std::string portDevicePath(int port);

// Whether a device path leads to something now; looked at, never opened.
// Windows: "\\.\COMn" and "COMn" are asked of the DOS device names, any
// other path of the file system.
bool devicePathPresent(const std::string &path);

#ifdef _WIN32
// Whether a path names a device ("\\.\COM3", "COM3") rather than a file.
bool namesDevice(const std::string &path);
#endif

// Makes port n lead to `target` (a stable name in /dev/serial, a device):
// POSIX writes the "com<n>" entry as a symbolic link, replacing it at once
// for every program that opens the port next. An entry that leads elsewhere
// is kept unless `replace`. Windows: COMn is fixed, a failure.
Status mapPort(int port, const std::string &target, bool replace);

// A one-line description for the operator: "COM3 → /dev/ttyUSB0" when the
// port resolves to an existing device, "COM3 → not present" otherwise.
std::string describePort(int port);

}  // namespace zz::link
