#pragma once
// A panel window on the screen whose port 1 is a pseudo-terminal (or a path
// that cannot be opened), with scripted message boxes, and ways to act on it
// the way the operator does: clicks land on whatever widget is at the point.

#include "panel/panel_window.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "support/scripted_boxes.h"
#include "support/watched_backend.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <memory>
#include <string>

class QWidget;

namespace zz::test {

class PanelHarness {
public:
    // Port 1 on a pseudo-terminal; with `openable` false it names a missing path.
    explicit PanelHarness(bool openable = true);
    ~PanelHarness();

    bool ready() const;
    panel::PanelWindow &window() { return *window_; }
    QWidget *client() const;
    template <typename T = QWidget>
    T *element(const QString &name) const {
        return window_->findChild<T *>(name);
    }

    // The six digits as the labels show them, with the point: "10000.0".
    QString shown() const;
    // Puts a value in the register without sending anything.
    void setValue(const std::string &display);

    // A left click at a point of the client area, delivered to the widget
    // that lies on top there.
    void clickAt(QPoint clientPos);
    // The middle of the arrow a wheel shows outside the readout.
    QPoint visibleArrow(const QString &wheel) const;

    // Everything the port received since the last call.
    QByteArray received();

    zz::rig::PtyPair &pty() { return pty_; }
    zz::rig::PortMapSandbox &sandbox() { return sandbox_; }

    ScriptedBoxes boxes;
    // What the link asked of the port; its beforeWrite runs as the link
    // starts writing a command to the device.
    std::shared_ptr<BackendWatch> backend = std::make_shared<BackendWatch>();

private:
    zz::rig::PtyPair pty_;
    zz::rig::PortMapSandbox sandbox_;
    std::unique_ptr<link::SerialControl> serial_;
    std::unique_ptr<panel::PanelWindow> window_;
};

}  // namespace zz::test
