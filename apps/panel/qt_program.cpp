#include "qt_program.h"

#include "command_line.h"
#include "common/version.h"
#include "link/serial_control.h"
#include "panel/panel_window.h"
#include "program/stop_signals.h"
#include "program/version_banner.h"
#include "qt_start_ui.h"
#include "startup/start_sequence.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>

#include <cstdio>

namespace zz::panel {

int startProgram(int argc, char **argv) {
    // Help and version need no display, so they come before Qt.
    const PanelOptions options = readPanelOptions(argc, argv);
    if (options.action == PanelOptions::Action::Help) {
        std::fputs(
            panelHelpText({"                                 ($XDG_CONFIG_HOME/6175ZIZ, default\n"
                           "                                 ~/.config/6175ZIZ)",
                           "\nOther arguments are Qt's (for example -platform xcb).\n"})
                .c_str(),
            stdout);
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
    QApplication::setWindowIcon(QIcon(ui::picture::kLogo.resource()));

    // Ends the main loop and every nested one (dialogs, message boxes, the
    // start screen's pause); the start-up looks at the signal after each.
    program::watchStopSignals([] {
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(program::stopStatus()); });
    });

    // Outlive every window; the control's destruction closes a port left open.
    link::SerialControl serial;
    ui::QtMessageBoxes boxes;
    QtStartUi face(serial, boxes);
    if (const startup::StartEnd end = startup::runStartSequence(face, serial, boxes)) return *end;
    const QPointer<PanelWindow> panel = face.panel();
    const int status = QApplication::exec();
    delete panel.data();  // still there when a signal ended the loop
    return status;
}

}  // namespace zz::panel
