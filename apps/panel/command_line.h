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
std::string panelHelpText();

// Makes the configuration folder the current directory, creating it when
// missing; the error text when that fails.
std::string enterConfigHome();

}  // namespace zz::panel
