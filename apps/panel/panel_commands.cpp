#include "panel_commands.h"

#include "panel/panel_window.h"
#include "port_choice.h"
#include "start_screen.h"

namespace zz::panel {

namespace {

void openPortDialog(PanelWindow &panel, link::SerialControl &serial,
                    frontpanel::MessageBoxes &boxes) {
    if (choosePort(serial, boxes, {{}, "&Close"}) != portdialog::PortDialog::Outcome::ExitProgram)
        return;
    // "&Close" ends the whole program, as "&Exit" does: the panel is the last
    // window, and the program ends when it closes.
    panel.close();
}

void openAbout() {
    StartScreen about;
    about.showAbout();
}

}  // namespace

void wirePanelCommands(PanelWindow &panel, link::SerialControl &serial,
                       frontpanel::MessageBoxes &boxes) {
    panel.setComPortCommand([&] { openPortDialog(panel, serial, boxes); });
    panel.setAboutCommand([] { openAbout(); });
}

}  // namespace zz::panel
