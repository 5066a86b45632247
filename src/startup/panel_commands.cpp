#include "startup/panel_commands.h"

#include "panel/panel_window.h"
#include "portdialog/port_dialog.h"
#include "startup/start_screen.h"

#include <QPushButton>

namespace zz {

namespace {

void openPortDialog(PanelWindow &panel) {
    PortDialog dialog(panel.serialControl());
    dialog.exitButton()->setText(QStringLiteral("&Close"));
    if (dialog.showModal() != PortDialog::Outcome::ExitProgram) return;
    // "&Close" ends the whole program, as "&Exit" does: the panel is the last
    // window, and the program ends when it closes.
    if (panel.serialControl().isOpen()) (void)panel.serialControl().close();
    panel.close();
}

void openAbout() {
    StartScreen about;
    about.showAbout();
}

}  // namespace

void wirePanelCommands(PanelWindow &panel) {
    panel.setComPortCommand([&panel] { openPortDialog(panel); });
    panel.setAboutCommand([] { openAbout(); });
}

}  // namespace zz
