#pragma once
// The panel window as the benchmarks drive it: shown (offscreen unless a
// platform is set) with port 1 on a pseudo-terminal, and stepped by clicks on
// the 0.1 ohm digit's arrows, up and down in turn: one 8-byte frame a click.

#include "panel/panel_window.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "ui/qt_message_boxes.h"

#include <QTest>

#include <cstdio>
#include <memory>

namespace zz::bench {

class BenchPanel {
public:
    // Maps port 1 to the device and shows the window; false, with a line on
    // standard error, when either fails.
    bool show(const char *program) {
        if (!device->ok() || !ports.ok() || !ports.map(1, device->slavePath())) {
            std::fprintf(stderr, "%s: no pseudo-terminal or port map\n", program);
            return false;
        }
        window.show();
        if (QTest::qWaitForWindowExposed(&window)) return true;
        std::fprintf(stderr, "%s: the window was not shown\n", program);
        return false;
    }

    // One click on the arrow whose turn it is; true for the up arrow.
    bool step() {
        QWidget *client = window.centralWidget();
        const bool raise = raise_;
        raise_ = !raise_;
        auto *arrow = client->findChild<QWidget *>(raise ? QStringLiteral("AdjUp1")
                                                         : QStringLiteral("AdjDown1"));
        // The part of each wheel outside the readout: above it, below it.
        QTest::mouseClick(arrow, Qt::LeftButton, {},
                          QPoint(arrow->width() / 2, raise ? 10 : arrow->height() - 10));
        return raise;
    }

    std::unique_ptr<rig::PtyPair> device = std::make_unique<rig::PtyPair>();
    rig::PortMapSandbox ports;
    link::SerialControl serial;
    ui::QtMessageBoxes boxes;
    panel::PanelWindow window{serial, boxes};

private:
    bool raise_ = true;
};

}  // namespace zz::bench
