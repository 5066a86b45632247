// Ports on Windows: Windows names them itself, there is no map.
#include "link/port_map.h"

#include "common/version.h"

#include <string>
#include "link/text_win32.h"

#include <windows.h>

#include <cstdlib>

namespace zz::link {

// The program's folder among the user's roaming application data.
std::string programConfigDirectory() {
    const wchar_t *appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData) return {};
    return win32::narrow(appData) + "\\" + common::kName;
}

// Windows names its ports itself; there is no map.
std::string portMapDirectory() {
    return {};
}
std::string portMapEntry(int) {
    return {};
}
std::string portDevicePath(int port) {
    return "\\\\.\\COM" + std::to_string(port);
}
Status mapPort(int port, const std::string &, bool) {
    return Status::failure(Status::kFailed, "on Windows port " + std::to_string(port) +
                                                " is always COM" + std::to_string(port) +
                                                "; its device is chosen in Device Manager");
}

std::string describePort(int port) {
    return "COM" + std::to_string(port);
}
bool namesDevice(const std::string &path) {
    return path.starts_with("\\\\.\\") || path.find_first_of("\\/:") == std::string::npos;
}
bool devicePathPresent(const std::string &path) {
    // A device is asked of the DOS device names, which opens nothing.
    if (namesDevice(path)) {
        const std::string name = path.starts_with("\\\\.\\") ? path.substr(4) : path;
        wchar_t target[1024];
        return QueryDosDeviceW(win32::widen(name).c_str(), target, 1024) != 0;
    }
    return GetFileAttributesW(win32::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace zz::link
