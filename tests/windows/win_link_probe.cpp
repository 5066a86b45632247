// What the Wine tests (wine_tests.py, which holds the expectations) ask of
// the link and the version record; several actions per Wine start:
//
//   start N         the panel's start command -> "status <number> <text>"
//   present N       whether port N exists     -> "present yes" or "present no"
//   record N        port N's last command     -> "record <command> <program>" or "record none "
//   hold N MS       port N's record held open as a reader holds it, MS ms -> "held"
//   version FILE    an .exe's version record  -> "<Name>=<value>" lines

#include "box/range.h"
#include "link/command_record.h"
#include "link/port_map.h"
#include "link/serial_control.h"
#include "link/text_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void start(const std::string &port) {
    zz::link::SerialControl control;
    zz::Status status = control.setPort(std::atoi(port.c_str()));
    if (status) status = zz::link::sendCommand(control, zz::box::kStartCommand);
    std::printf("status %d %s\n", status.number(), status.text().c_str());
}

void record(const std::string &port) {
    const auto found =
        zz::link::readCommandRecord(zz::link::portDevicePath(std::atoi(port.c_str())));
    std::printf("record %s %s\n", found ? found->command.c_str() : "none",
                found ? found->program.c_str() : "");
}

// A reader (the panel looking for news, a scanner) has the record open
// while a sender replaces it.
void hold(const std::string &port, const std::string &ms) {
    const std::string path =
        zz::link::commandRecordPath(zz::link::portDevicePath(std::atoi(port.c_str())));
    HANDLE h = CreateFileW(zz::link::win32::widen(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::printf("%s\n", h == INVALID_HANDLE_VALUE ? "not held" : "held");
    std::fflush(stdout);
    Sleep(DWORD(std::atoi(ms.c_str())));
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

void version(const std::string &file) {
    const std::wstring path = zz::link::win32::widen(file);
    std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, DWORD(data.size()), data.data()))
        return (void)std::printf("version none\n");
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT size = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void **>(&fixed), &size))
        std::printf("FILEVERSION=%d.%d.%d.%d\n", HIWORD(fixed->dwFileVersionMS),
                    LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                    LOWORD(fixed->dwFileVersionLS));
    for (const wchar_t *name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                                L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        wchar_t *value = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void **>(&value), &size))
            std::printf("%s=%s\n", zz::link::win32::narrow(name).c_str(),
                        zz::link::win32::narrow(std::wstring(value, size ? size - 1 : 0)).c_str());
    }
}

}  // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto next = [&] { return i + 1 < args.size() ? args[++i] : std::string(); };
        const std::string &action = args[i];
        if (action == "start") {
            start(next());
        } else if (action == "present") {
            zz::link::SerialControl control;  // the panel's lamp asks the same
            const bool yes = control.setPort(std::atoi(next().c_str())) && control.devicePresent();
            std::printf("present %s\n", yes ? "yes" : "no");
        } else if (action == "record") {
            record(next());
        } else if (action == "hold") {
            const std::string held = next();
            hold(held, next());
        } else if (action == "version") {
            version(next());
        } else {
            std::fprintf(stderr, "unknown action %s\n", action.c_str());
            return 2;
        }
        std::fflush(stdout);
    }
    return 0;
}
