// 6175ZIZ-ctl: sets the box from the command line and from scripts: one
// value, sweeps, lists of points, and temperature sensors it stands in for.

#include "ctl/session.h"

#ifdef _WIN32
#include "link/win32_text.h"

#include <windows.h>

#include <shellapi.h>
#endif

namespace {

// Windows hands main() its arguments in the ANSI code page, which has no Ω
// ("1.5 kΩ" would arrive as "1.5 kO"): they are taken from the wide command
// line as UTF-8 instead, and the console is told that the report is UTF-8.
std::vector<std::string> arguments([[maybe_unused]] int argc, [[maybe_unused]] char **argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(zz::win32::narrow(wide[i]));
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

}  // namespace

int main(int argc, char **argv) {
    return zz::ctl::runSession(arguments(argc, argv));
}
