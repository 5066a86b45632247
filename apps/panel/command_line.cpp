#include "command_line.h"

#include "link/port_map.h"
#include "program/command_line.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace zz::panel {

PanelOptions readPanelOptions(int argc, char **argv) {
    PanelOptions options;
    bool help = false, version = false;
    CLI::App parser;
    program::usePlainStyle(parser);
    parser.allow_extras();  // Qt's own arguments, read when Qt starts
    parser.add_flag("--help", help);
    parser.add_flag("--version", version);
    parser.add_flag("--settings-in-config-home", options.settingsInConfigHome);
    (void)program::parseArguments(parser, program::commandLineArguments(argc, argv));
    if (help) return {PanelOptions::Action::Help, false};
    if (version) return {PanelOptions::Action::Version, false};
    return options;
}

std::string panelHelpText(const HelpFacts &facts) {
    return "Usage: 6175ZIZ [OPTION]\n"
           "The virtual front panel of the 6175 programmable resistance box.\n"
           "\n"
           "The serial port is kept in Settings.txt in the current directory.\n"
           "\n"
           "      --settings-in-config-home  keep Settings.txt in the configuration folder\n" +
           facts.configFolder +
           " instead\n"
           "      --help                     display this help and exit\n"
           "      --version                  output version information and exit\n" +
           facts.otherArguments;
}

std::string enterConfigHome() {
    const std::string folder = link::programConfigDirectory();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return folder + ": " + error.message();
    std::filesystem::current_path(folder, error);
    if (error) return folder + ": " + error.message();
    return {};
}

}  // namespace zz::panel
