#pragma once
// The start sequence's and the port dialog's windows on Win32 (the rules are
// startup's): the start screen, the port dialog, the panel and the menus'
// commands, then the panel's message loop.

#include "startup/start_ui.h"
#include "winui/panel_window.h"
#include "winui/start_screen.h"

#include <memory>

namespace zz::frontpanel {
class MessageBoxes;
}
namespace zz::link {
class SerialControl;
}

namespace zz::winui {

class Win32StartUi : public startup::StartUi {
public:
    Win32StartUi(link::SerialControl &serial, frontpanel::MessageBoxes &boxes);
    ~Win32StartUi() override;

    void showStartScreen() override;
    void pause(double seconds) override;
    void closeStartScreen() override;
    startup::DialogEnd askForPort(const startup::PortDialogText &text, startup::PortListing &ports,
                                  const startup::ConfirmPort &confirm) override;
    void createPanel() override;
    void showPanel() override;
    void dropPanel() override;
    frontpanel::ValueRegister &panelDigits() override;
    void repaintPanel() override;
    frontpanel::PanelLogic &panelLogic() override;
    bool stopRequested() override;

    // After a start-up that showed the panel: its events until it closes,
    // the program's exit status.
    int runPanel();

private:
    void about();
    void comPort();

    link::SerialControl &serial_;
    frontpanel::MessageBoxes &boxes_;
    std::unique_ptr<StartScreen> startScreen_;
    std::unique_ptr<PanelWindow> panel_;
};

}  // namespace zz::winui
