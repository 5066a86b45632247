// Shows the panel as the operator first sees it (10000.0, the start command
// sent to a pseudo-terminal as port 1) and saves a grab of
// the window from the screen. Run it on a real display server, e.g. under
// xvfb-run with -platform xcb; scripts/screenshot-panel.sh does that.
//
//   panel_screenshot <output.png>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTextStream>

#include "panel/panel_window.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "ui/qt_message_boxes.h"

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: panel_screenshot <output.png>\n";
        return 2;
    }

    zz::rig::PtyPair pty;
    zz::rig::PortMapSandbox sandbox;
    if (!pty.ok() || !sandbox.ok() || !sandbox.map(1, pty.slavePath())) return 1;
    zz::link::SerialControl serial;
    zz::ui::QtMessageBoxes boxes;
    zz::panel::PanelWindow window(serial, boxes);
    window.digits().setDigitText(6, "1");  // the value at start
    if (!zz::link::sendCommand(serial, "10000")) return 1;
    window.move(40, 40);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    QTest::qWait(300);  // let the display server settle the first frame

    const QRect frame = window.frameGeometry();
    const QPixmap shot =
        window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (shot.isNull() || !shot.save(args[1])) return 1;
    QTextStream(stdout) << "saved " << args[1] << " (" << shot.width() << " x " << shot.height()
                        << ")\n";
    return 0;
}
