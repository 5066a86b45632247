#include "program/command_line.h"

namespace zz::program {

std::vector<std::string> commandLineArguments(int argc, char **argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace zz::program
