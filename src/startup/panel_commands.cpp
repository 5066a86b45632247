#include "panel_commands.h"

#include "comm_port_form.h"
#include "res_form.h"
#include "start_form.h"

#include <QPushButton>

namespace zz {

namespace {

void openPortDialog(ResForm &panel) {
    CommPortForm dialog(panel.SerCom());
    dialog.ExitBut()->setText(QStringLiteral("&Close"));
    if (dialog.showModal() != CommPortForm::Outcome::ExitProgram) return;
    // "&Close" ends the whole program, as "&Exit" does: the panel is the last
    // window, and the program ends when it closes.
    if (panel.SerCom().portOpen()) (void)panel.SerCom().setPortOpen(false);
    panel.close();
}

void openAbout() {
    StartForm about;
    about.showAbout();
}

}  // namespace

void wirePanelCommands(ResForm &panel) {
    panel.setComPortCommand([&panel] { openPortDialog(panel); });
    panel.setAboutCommand([] { openAbout(); });
}

}  // namespace zz
