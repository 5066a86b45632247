#include "startup/start_sequence.h"

#include "common/number_text.h"
#include "common/version.h"
#include "link/serial_control.h"
#include "panel/model/panel_texts.h"
#include "panel/panel_window.h"
#include "startup/command_line.h"
#include "startup/panel_commands.h"
#include "startup/port_choice.h"
#include "startup/settings/settings_file.h"
#include "startup/start_screen.h"
#include "startup/termination_signals.h"
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

namespace zz {

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
StartResult endStartUp(PanelWindow *panel, SerialControl &serial, int status) {
    (void)serial.close();
    delete panel;
    return {status, nullptr};
}

}  // namespace

std::string invalidPortCaption(int port) {
    return "Invalid comm. port (" + wholeNumberText(port) + ") " + "set." + "\r\r" +
           "Please select a valid comm. port";
}

void pauseFor(double seconds) {
    QElapsedTimer clock;  // monotonic: midnight or a clock change does not matter
    clock.start();
    const qint64 limitNs = static_cast<qint64>(seconds * 1e9);
    while (clock.nsecsElapsed() <= limitNs && !terminationSignal()) {
        const qint64 leftMs = (limitNs - clock.nsecsElapsed()) / 1000000 + 1;
        QEventLoop loop;
        QTimer::singleShot(std::chrono::milliseconds(leftMs), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

StartResult runStartSequence(SerialControl &serial, MessageBoxes &boxes) {
    {
        StartScreen startScreen;
        showPainted(startScreen);
        pauseFor(2);
    }
    if (terminationSignal()) return {terminationStatus(), nullptr};

    const StoredPort stored = readStoredPort();
    if (!stored.status.ok()) {
        boxes.exclamation(program::kName, "The settings file cannot be opened or created.\r\r" +
                                              stored.status.text());
        return {kSettingsFailureStatus, nullptr};
    }

    auto *panel = new PanelWindow(serial, boxes);  // invisible until shown below
    panel->setAttribute(Qt::WA_DeleteOnClose);
    wirePanelCommands(*panel, serial, boxes);
    const auto endedInDialog = [](PortDialog::Outcome outcome) {
        return outcome == PortDialog::Outcome::ExitProgram || terminationSignal();
    };

    bool portUsable = true;
    if (stored.port == 0) {
        if (endedInDialog(choosePort(serial, boxes)))
            return endStartUp(panel, serial, terminationStatus());
    } else if (!serial.setPort(stored.port).ok()) {
        // A number the control refuses (negative, above 255) is asked for
        // again instead of ending the program.
        portUsable = false;
    }

    if (!portUsable || !serial.open().ok()) {
        const int refused = portUsable ? serial.port() : stored.port;
        if (endedInDialog(choosePort(serial, boxes, {invalidPortCaption(refused), {}})))
            return endStartUp(panel, serial, terminationStatus());
    }

    // From here every failing step is skipped without a message.
    panel->show();
    repaintNow(*panel);
    panel->digits().setDigitText(6, "1");
    repaintNow(*panel);  // handles pending events: a signal may have come meanwhile
    if (terminationSignal()) return endStartUp(panel, serial, terminationStatus());
    (void)panel->sendCommand(panel_text::kStartCommand);
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
        std::fputs(program::versionBanner(program::kName).c_str(), stdout);
        return 0;
    }
    if (options.settingsInConfigHome) {
        if (const std::string error = enterConfigHome(); !error.empty()) {
            std::fprintf(stderr, "%s: %s\n", program::kName, error.c_str());
            return 1;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(program::kName));
    QApplication::setApplicationVersion(QString::fromLatin1(program::kVersion));
    registerPanelFonts();
    QApplication::setWindowIcon(QIcon(picture::kLogo.resource()));

    watchTerminationSignals();

    // Outlives every window; its destruction closes a port that is open.
    SerialControl serial;
    QtMessageBoxes boxes;
    const StartResult started = runStartSequence(serial, boxes);
    if (started.exitNow) return *started.exitNow;
    const QPointer<PanelWindow> panel = started.panel;
    const int status = QApplication::exec();
    delete panel.data();  // still there when a signal ended the loop
    return status;
}

}  // namespace zz
