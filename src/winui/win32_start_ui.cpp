#include "winui/win32_start_ui.h"

#include "program/stop_signals.h"
#include "startup/port_choice.h"
#include "winui/message_loop.h"
#include "winui/port_dialog.h"

namespace zz::winui {

Win32StartUi::Win32StartUi(link::SerialControl &serial, frontpanel::MessageBoxes &boxes)
    : serial_(serial), boxes_(boxes) {}

Win32StartUi::~Win32StartUi() = default;

void Win32StartUi::showStartScreen() {
    startScreen_ = std::make_unique<StartScreen>(false);
    startScreen_->show();
}

void Win32StartUi::pause(double seconds) {
    pauseFor(seconds);
}

void Win32StartUi::closeStartScreen() {
    startScreen_.reset();
}

startup::DialogEnd Win32StartUi::askForPort(const startup::PortDialogText &text,
                                            startup::PortListing &ports,
                                            const startup::ConfirmPort &confirm) {
    PortDialog dialog(text, ports);
    return dialog.run(confirm);
}

void Win32StartUi::createPanel() {
    if (panel_) return;
    panel_ = std::make_unique<PanelWindow>(serial_, boxes_);
    panel_->setComPortCommand([this] { comPort(); });
    panel_->setAboutCommand([this] { about(); });
}

void Win32StartUi::showPanel() {
    createPanel();
    panel_->show();
}

void Win32StartUi::dropPanel() {
    panel_.reset();
}

frontpanel::ValueRegister &Win32StartUi::panelDigits() {
    createPanel();
    return panel_->digits();
}

void Win32StartUi::repaintPanel() {
    if (panel_) panel_->repaintPanel();
}

frontpanel::PanelLogic &Win32StartUi::panelLogic() {
    createPanel();
    panel_->watchProfile();
    return panel_->logic();
}

bool Win32StartUi::stopRequested() {
    return stopAsked();
}

void Win32StartUi::about() {
    StartScreen box(true);
    box.runModal();
}

void Win32StartUi::comPort() {
    // The exit button ends the program, panel included, under either caption.
    if (startup::runComPortCommand(*this, serial_, boxes_))
        return (void)DestroyWindow(panel_->window());
    panel_->watchProfile();  // the port chosen may have a profile of its own
}

int Win32StartUi::runPanel() {
    if (!panel_) return 0;
    auto watch = [this] {
        if (panel_) panel_->watchLink();
    };
    const int status = runMainLoop(panel_->recordChanges(), watch);
    const bool stopped = stopAsked();
    panel_.reset();
    (void)serial_.close();
    return stopped ? program::stopStatus() : status;
}

}  // namespace zz::winui
