#pragma once
// The Qt face of the start-up: the start screen, the port dialog and the
// panel window as the start sequence and the panel's menu commands ask for
// them (startup/start_ui.h).

#include "startup/start_ui.h"

#include <memory>

namespace zz::frontpanel {
class MessageBoxes;
}
namespace zz::link {
class SerialControl;
}

namespace zz::panel {

class PanelWindow;
class StartScreen;

class QtStartUi : public startup::StartUi {
public:
    // The control and the boxes outlive this face, and this face outlives
    // the panel (its menu commands come back here).
    QtStartUi(link::SerialControl &serial, frontpanel::MessageBoxes &boxes);
    ~QtStartUi() override;

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

    // The panel once made; it deletes itself when closed.
    PanelWindow *panel() const { return panel_; }

private:
    link::SerialControl &serial_;
    frontpanel::MessageBoxes &boxes_;
    std::unique_ptr<StartScreen> startScreen_;
    PanelWindow *panel_ = nullptr;
};

// Waits strictly longer than the given seconds by a monotonic clock, handling
// no operator input, without spinning a processor core.
void pauseFor(double seconds);

}  // namespace zz::panel
