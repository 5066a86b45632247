#pragma once
// The panel's menu commands "COM Port" and "About", which open the port
// dialog and the start screen.

namespace zz::frontpanel {
class MessageBoxes;
}
namespace zz::link {
class SerialControl;
}

namespace zz::panel {

class PanelWindow;

// Both outlive the panel.
void wirePanelCommands(PanelWindow &panel, link::SerialControl &serial,
                       frontpanel::MessageBoxes &boxes);

}  // namespace zz::panel
