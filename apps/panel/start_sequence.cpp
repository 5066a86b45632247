#include "start_sequence.h"

#include "box/range.h"
#include "command_line.h"
#include "common/number_text.h"
#include "frontpanel/panel_texts.h"
#include "link/serial_control.h"
#include "panel/panel_window.h"
#include "panel_commands.h"
#include "port_choice.h"
#include "program/stop_signals.h"
#include "program/version_banner.h"
#include "settings_file.h"
#include "start_screen.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <memory>

namespace zz::panel {

using namespace ui;  // the house style's vocabulary

namespace {

constexpr int kSettingsFailureStatus = 1;

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

// Ends start-up early (the port dialog's exit button, a termination
// signal): nothing more happens, and the port is closed if it is open.
StartResult endStartUp(PanelWindow *panel, link::SerialControl &serial, int status) {
    (void)serial.close();
    delete panel;
    return {status, nullptr};
}

}  // namespace

std::string invalidPortCaption(int port) {
    return "Invalid comm. port (" + common::wholeNumberText(port) + ") " + "set." + "\r\r" +
           "Please select a valid comm. port";
}

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

StartResult runStartSequence(link::SerialControl &serial, frontpanel::MessageBoxes &boxes) {
    {
        StartScreen startScreen;
        showPainted(startScreen);
        pauseFor(2);
    }
    if (program::stopSignal()) return {program::stopStatus(), nullptr};

    const program::StoredPort stored = program::readStoredPort();
    if (!stored.status.ok()) {
        boxes.exclamation(common::kName, "The settings file cannot be opened or created.\r\r" +
                                             stored.status.text());
        return {kSettingsFailureStatus, nullptr};
    }

    auto *panel = new PanelWindow(serial, boxes);  // invisible until shown below
    panel->setAttribute(Qt::WA_DeleteOnClose);
    wirePanelCommands(*panel, serial, boxes);
    const auto endedInDialog = [](portdialog::PortDialog::Outcome outcome) {
        return outcome == portdialog::PortDialog::Outcome::ExitProgram || program::stopSignal();
    };

    bool portUsable = true;
    if (stored.port == 0) {
        if (endedInDialog(choosePort(serial, boxes)))
            return endStartUp(panel, serial, program::stopStatus());
    } else if (!serial.setPort(stored.port).ok()) {
        // A number the control refuses (negative, above 255) is asked for
        // again instead of ending the program.
        portUsable = false;
    }

    if (!portUsable || !serial.open().ok()) {
        const int refused = portUsable ? serial.port() : stored.port;
        if (endedInDialog(choosePort(serial, boxes, {invalidPortCaption(refused), {}})))
            return endStartUp(panel, serial, program::stopStatus());
    }

    // From here every failing step is skipped without a message.
    panel->show();
    repaintNow(*panel);
    panel->digits().setDigitText(6, "1");
    repaintNow(*panel);  // handles pending events: a signal may have come meanwhile
    if (program::stopSignal()) return endStartUp(panel, serial, program::stopStatus());
    (void)panel->sendCommand(box::kStartCommand);
    return {std::nullopt, panel};
}

int startProgram(int argc, char **argv) {
    // Help and version need no display, so they come before Qt.
    const PanelOptions options = readPanelOptions(argc, argv);
    if (options.action == PanelOptions::Action::Help) {
        std::fputs(panelHelpText().c_str(), stdout);
        return 0;
    }
    if (options.action == PanelOptions::Action::Version) {
        std::fputs(program::versionBanner(common::kName).c_str(), stdout);
        return 0;
    }
    if (options.settingsInConfigHome) {
        if (const std::string error = enterConfigHome(); !error.empty()) {
            std::fprintf(stderr, "%s: %s\n", common::kName, error.c_str());
            return 1;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(common::kName));
    QApplication::setApplicationVersion(QString::fromLatin1(common::kVersion));
    ui::registerPanelFonts();
    QApplication::setWindowIcon(QIcon(picture::kLogo.resource()));

    // Ends the main loop and every nested one (dialogs, message boxes, the
    // start screen's pause); the start-up looks at the signal after each.
    program::watchStopSignals([] {
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(program::stopStatus()); });
    });

    // Outlives every window; its destruction closes a port that is open.
    link::SerialControl serial;
    ui::QtMessageBoxes boxes;
    const StartResult started = runStartSequence(serial, boxes);
    if (started.exitNow) return *started.exitNow;
    const QPointer<PanelWindow> panel = started.panel;
    const int status = QApplication::exec();
    delete panel.data();  // still there when a signal ended the loop
    return status;
}

}  // namespace zz::panel
