#pragma once
// The panel's menu commands "COM Port" and "About", which open the port
// dialog and the start screen.

namespace zz {

class PanelWindow;
class SerialControl;

void wirePanelCommands(PanelWindow &panel);

}  // namespace zz
