#pragma once
// A panel window on the screen whose port 1 is a pseudo-terminal (or a path
// that cannot be opened), with scripted message boxes, and ways to act on it
// the way the operator does: clicks land on whatever widget is at the point.

#include "common/message_boxes.h"
#include "panel/panel_window.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace zz::test {

struct BoxCall {
    bool question = false;
    std::string title;
    std::string text;
};

class ScriptedBoxes : public MessageBoxes {
public:
    void exclamation(const std::string &title, const std::string &text) override;
    bool askYesNo(const std::string &title, const std::string &text) override;

    std::vector<BoxCall> calls;
    std::deque<bool> answers;  // for askYesNo; empty answers No
};

class PanelHarness {
public:
    // Port 1 on a pseudo-terminal; with `openable` false it names a missing path.
    explicit PanelHarness(bool openable = true);
    ~PanelHarness();

    bool ready() const;
    PanelWindow &form() { return *form_; }
    QWidget *client() const;
    template <typename T = QWidget>
    T *element(const QString &name) const {
        return form_->findChild<T *>(name);
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
    // Called as the link starts writing a command to the device.
    std::function<void()> beforeWrite;

    ScriptedBoxes boxes;

private:
    PtyPair pty_;
    PortMapSandbox sandbox_;
    std::unique_ptr<SerialControl> serial_;
    std::unique_ptr<PanelWindow> form_;
};

}  // namespace zz::test
