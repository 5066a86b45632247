#pragma once
// The panel's menu commands "COM Port" and "About", which open the port
// dialog and the start screen.

namespace zz {

class MessageBoxes;
class PanelWindow;
class SerialControl;

// Both outlive the panel.
void wirePanelCommands(PanelWindow &panel, SerialControl &serial, MessageBoxes &boxes);

}  // namespace zz
