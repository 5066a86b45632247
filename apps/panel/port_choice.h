#pragma once
// Choosing the instrument's port: the port dialog, and applying the port the
// operator confirms there. The start sequence and the panel's "COM Port"
// command both go through here.

#include "portdialog/port_dialog.h"

#include <optional>
#include <string>

namespace zz::frontpanel {
class MessageBoxes;
}
namespace zz::link {
class SerialControl;
}

namespace zz::panel {

// Sets the port on the serial control, stores it in "Settings.txt" and tests
// it by opening and closing it, in that order. The first failure shows the
// serial error box and leaves the port closed: a refused number leaves the
// file as it was, a port that fails its test has been set and stored already.
// True when every step succeeded.
bool applyPort(link::SerialControl &serial, std::optional<int> port,
               frontpanel::MessageBoxes &boxes);

// What to change on the dialog before it is shown; empty keeps the design.
struct PortDialogText {
    std::string prompt;       // replaces "Please select a COM port :"
    std::string exitCaption;  // replaces "&Exit"
};

// Shows the port dialog, preset to the control's port, until a port is
// applied, the close box is used, or its exit button asks to end the program.
portdialog::PortDialog::Outcome choosePort(link::SerialControl &serial,
                                           frontpanel::MessageBoxes &boxes,
                                           const PortDialogText &text = {});

}  // namespace zz::panel
