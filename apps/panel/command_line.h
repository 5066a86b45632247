#pragma once
// The panel's command line. The panel itself takes no options: these only
// print help or the version, or move Settings.txt to the user's configuration
// folder (as the desktop menu starts it). Anything else is left to Qt.

#include <string>

namespace zz::panel {

struct PanelOptions {
    enum class Action { Run, Help, Version };
    Action action = Action::Run;
    bool settingsInConfigHome = false;
};

PanelOptions readPanelOptions(int argc, char **argv);
// What the help says differently on each face: where the configuration
// folder is (indented under the option, its last line without an end), and
// whose arguments the others are.
struct HelpFacts {
    std::string configFolder;
    std::string otherArguments;
};
std::string panelHelpText(const HelpFacts &facts);

// Makes the configuration folder the current directory, creating it when
// missing; the error text when that fails.
std::string enterConfigHome();

}  // namespace zz::panel
