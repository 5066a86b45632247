#include "startup/panel_commands.h"

#include "panel/panel_window.h"
#include "startup/port_choice.h"
#include "startup/start_screen.h"

namespace zz {

namespace {

void openPortDialog(PanelWindow &panel, SerialControl &serial, MessageBoxes &boxes) {
    if (choosePort(serial, boxes, {{}, "&Close"}) != PortDialog::Outcome::ExitProgram) return;
    // "&Close" ends the whole program, as "&Exit" does: the panel is the last
    // window, and the program ends when it closes.
    panel.close();
}

void openAbout() {
    StartScreen about;
    about.showAbout();
}

}  // namespace

void wirePanelCommands(PanelWindow &panel, SerialControl &serial, MessageBoxes &boxes) {
    panel.setComPortCommand([&] { openPortDialog(panel, serial, boxes); });
    panel.setAboutCommand([] { openAbout(); });
}

}  // namespace zz
