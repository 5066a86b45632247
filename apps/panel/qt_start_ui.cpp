#include "qt_start_ui.h"

#include "panel/panel_window.h"
#include "portdialog/port_dialog.h"
#include "program/stop_signals.h"
#include "start_screen.h"
#include "startup/port_choice.h"
#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

namespace zz::panel {

namespace {

// Shows a window and makes sure it is really on screen and fully painted
// before the caller blocks: a bare show() + repaint() can leave it blank
// under a window manager until the window is exposed.
void showPainted(QWidget &window) {
    window.show();
    QElapsedTimer waited;
    waited.start();
    QTimer tick;  // wakes the wait below even when no event comes
    tick.start(10);
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) &&
           waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    window.repaint();
    QGuiApplication::sync();
}

void repaintNow(QWidget &window) {
    window.repaint();
    QGuiApplication::sync();
}

}  // namespace

void pauseFor(double seconds) {
    QElapsedTimer clock;  // monotonic: midnight or a clock change does not matter
    clock.start();
    const qint64 limitNs = static_cast<qint64>(seconds * 1e9);
    while (clock.nsecsElapsed() <= limitNs && !program::stopSignal()) {
        const qint64 leftMs = (limitNs - clock.nsecsElapsed()) / 1000000 + 1;
        QEventLoop loop;
        QTimer::singleShot(std::chrono::milliseconds(leftMs), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

QtStartUi::QtStartUi(link::SerialControl &serial, frontpanel::MessageBoxes &boxes)
    : serial_(serial), boxes_(boxes) {}

QtStartUi::~QtStartUi() = default;

void QtStartUi::showStartScreen() {
    startScreen_ = std::make_unique<StartScreen>();
    showPainted(*startScreen_);
}

void QtStartUi::pause(double seconds) {
    pauseFor(seconds);
}

void QtStartUi::closeStartScreen() {
    startScreen_.reset();
}

startup::DialogEnd QtStartUi::askForPort(const startup::PortDialogText &text,
                                         startup::PortListing &ports,
                                         const startup::ConfirmPort &confirm) {
    portdialog::PortDialog dialog(text.preset, ports, confirm);
    if (!text.prompt.empty()) dialog.promptLabel()->setText(ui::boxText(text.prompt));
    if (!text.exitCaption.empty())
        dialog.exitButton()->setText(QString::fromStdString(text.exitCaption));
    return dialog.showModal();
}

void QtStartUi::createPanel() {
    panel_ = new PanelWindow(serial_, boxes_);  // invisible until shown
    panel_->setAttribute(Qt::WA_DeleteOnClose);
    PanelWindow *panel = panel_;
    panel_->setComPortCommand([this, panel] {
        // "&Close" ends the whole program, as "&Exit" does: the panel is the
        // last window, and the program ends when it closes.
        if (startup::runComPortCommand(*this, serial_, boxes_)) return (void)panel->close();
        panel->watchProfile();  // the port chosen may have a profile of its own
    });
    panel_->setAboutCommand([] {
        StartScreen about;
        about.showAbout();
    });
}

void QtStartUi::showPanel() {
    panel_->show();
    repaintNow(*panel_);
}

void QtStartUi::dropPanel() {
    delete panel_;
    panel_ = nullptr;
}

frontpanel::ValueRegister &QtStartUi::panelDigits() {
    return panel_->digits();
}

void QtStartUi::repaintPanel() {
    repaintNow(*panel_);  // handles pending events: a signal may have come meanwhile
}

frontpanel::PanelLogic &QtStartUi::panelLogic() {
    panel_->watchProfile();
    return panel_->logic();
}

bool QtStartUi::stopRequested() {
    return program::stopSignal() != 0;
}

}  // namespace zz::panel
