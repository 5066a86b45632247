#pragma once
// Command lines in the GNU manner for every program of ours, on CLI11:
// --help and --version, --opt=value, "--" ending the options, and a usage
// error as one line that says what was wrong (the caller exits with 2).

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace zz::program {

// The exit status of a usage error.
inline constexpr int kUsageStatus = 2;

// Takes CLI11's own help flag and text away: the programs print their own
// help, so the words stay theirs.
void usePlainStyle(CLI::App &parser);

// Parses `args` (without the program's name); the usage error, or "" when
// the line was understood.
std::string parseArguments(CLI::App &parser, std::vector<std::string> args);

// "Try '6175ZIZ-ctl --help' for more information."
std::string helpHint(std::string_view program);

// The program's arguments as UTF-8. Windows hands main() its arguments in
// the ANSI code page, which has no Ω ("1.5 kΩ" would arrive as "1.5 kO"):
// there they come from the wide command line, and the console is told that
// the program writes UTF-8.
std::vector<std::string> commandLineArguments(int argc, char **argv);

}  // namespace zz::program
