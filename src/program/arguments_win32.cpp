#include "link/text_win32.h"
#include "program/command_line.h"

#include <windows.h>

#include <shellapi.h>

namespace zz::program {

std::vector<std::string> commandLineArguments(int, char **) {
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(link::win32::narrow(wide[i]));
    LocalFree(wide);
    return args;
}

}  // namespace zz::program
