// What the panel tells about the box, on real widgets with port 1 a
// pseudo-terminal: the link lamp through a device's loss and return, resend,
// following a value another process sent, and dialling by wheel and keys.

#include "link/command_record.h"
#include "panel/link_lamp_widget.h"
#include "panel_harness.h"

#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using zz::frontpanel::LampColour;
using zz::test::PanelHarness;

Q_DECLARE_METATYPE(zz::frontpanel::LampColour)

namespace {

QByteArray frames(const char *frame, int count) {
    QByteArray bytes;
    for (int k = 0; k < count; ++k) bytes += QByteArray(frame) + '\r';
    return bytes;
}

// Another program of ours: a process of its own that sends one command
// through the link to port 1 and ends.
bool sendFromAnotherProcess(const char *command) {
    const pid_t child = fork();
    if (child == 0) {
        zz::link::setSenderName("6175ZIZ-ctl");
        zz::link::SerialControl serial;
        _exit(zz::link::sendCommand(serial, command).ok() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

}  // namespace

class tst_PanelLink : public QObject {
    Q_OBJECT

    std::unique_ptr<PanelHarness> panel_;

    zz::panel::LinkLampWidget *lamp() {
        return panel_->element<zz::panel::LinkLampWidget>("LinkLamp");
    }
    void expectLamp(LampColour colour, const QString &caption) {
        QCOMPARE(lamp()->colour(), colour);
        QCOMPARE(lamp()->caption(), caption);
    }

private slots:
    void init() {
        panel_ = std::make_unique<PanelHarness>();
        QVERIFY(panel_->ready());
    }
    void cleanup() { panel_.reset(); }

    // The lamp takes no focus; the digits' arrows keep the keyboard.
    // Unplugged, a step fails (red); back, the lamp asks for a resend
    // (amber); a click on the lamp or F5 sends the readout again (green).
    void lampFollowsTheDevice() {
        PanelHarness &panel = *panel_;
        const std::string device = panel.pty().slavePath();
        const std::string gone = panel.sandbox().root() + "/unplugged";
        QCOMPARE(lamp()->focusPolicy(), Qt::NoFocus);
        expectLamp(LampColour::Grey, "No command yet");

        panel.clickAt(panel.visibleArrow("AdjUp1"));
        expectLamp(LampColour::Green, "Sent 00000.1");

        QVERIFY(panel.sandbox().map(1, gone));
        panel.clickAt(panel.visibleArrow("AdjUp1"));
        expectLamp(LampColour::Red, "Not sent");
        QVERIFY(lamp()->toolTip().contains(QString::fromStdString(gone)));

        QVERIFY(panel.sandbox().map(1, device));
        panel.window().watchLink();
        expectLamp(LampColour::Amber, "Resend?");
        QCOMPARE(panel.received(), frames("00000.1", 1));
        QTest::mouseClick(lamp(), Qt::LeftButton);
        expectLamp(LampColour::Green, "Sent 00000.2");
        QCOMPARE(panel.received(), frames("00000.2", 1));

        QVERIFY(panel.sandbox().map(1, gone));
        panel.window().watchLink();
        expectLamp(LampColour::Grey, "COM1 not present");
        QVERIFY(panel.sandbox().map(1, device));
        panel.window().watchLink();
        expectLamp(LampColour::Amber, "Resend?");
        QTest::keyClick(&panel.window(), Qt::Key_F5);
        expectLamp(LampColour::Green, "Sent 00000.2");
        QCOMPARE(panel.received(), frames("00000.2", 1));
    }

    // A carry sends one command per decade; the first one failing leaves the
    // lamp red although the last went out.
    void carryWithAFailureStaysRed() {
        PanelHarness &panel = *panel_;
        panel.setValue("00099.9");
        int writes = 0;
        panel.backend->beforeWrite = [&] {
            if (++writes == 1) panel.pty().stall();
            if (writes == 2) panel.pty().resume();
        };
        panel.clickAt(panel.visibleArrow("AdjUp1"));
        QCOMPARE(writes, 4);
        expectLamp(LampColour::Red, "Not sent");
        QVERIFY(panel.received().endsWith(frames("00100.0", 3)));
    }

    // Another process sets the box through the link: the digits follow,
    // nothing is sent, the lamp names the sender, and the next step starts
    // from there. A record that is no value is ignored.
    void followsAnotherProgram() {
        PanelHarness &panel = *panel_;
        panel.setValue("01234.5");
        QVERIFY(sendFromAnotherProcess("00555.5"));
        QTRY_COMPARE(panel.shown(), QStringLiteral("00555.5"));
        expectLamp(LampColour::Green, "Set by 6175ZIZ-ctl");
        QCOMPARE(panel.received(), frames("00555.5", 1));  // the other program's only

        panel.clickAt(panel.visibleArrow("AdjUp1"));
        QCOMPARE(panel.received(), frames("00555.6", 1));

        QVERIFY(zz::link::writeCommandRecord(panel.pty().slavePath(), {"garbage", 0, "other", 1}));
        panel.window().watchLink();
        QCOMPARE(panel.shown(), QStringLiteral("00555.6"));
        expectLamp(LampColour::Green, "Sent 00555.6");
    }

    // One wheel notch steps the digit under the pointer as its arrows do;
    // fine wheel steps add up to a notch. With an arrow focused, Up and Down
    // step its digit.
    void dialling_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QList<int>>("input");  // wheel deltas, or a key
        QTest::addColumn<QString>("after");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("notch up over a digit carries")
            << "00009.0"
            << "DigitLab2" << QList<int>{120} << "00010.0" << frames("00010.0", 2);
        QTest::newRow("notch down over a down arrow")
            << "12345.6"
            << "AdjDown4" << QList<int>{-120} << "12245.6" << frames("12245.6", 1);
        QTest::newRow("fine steps make one notch")
            << "12345.6"
            << "AdjUp1" << QList<int>{40, 40, 40} << "12345.7" << frames("12345.7", 1);
        QTest::newRow("two notches at once") << "12345.6"
                                             << "DigitLab6" << QList<int>{-240} << "02345.6"
                                             << frames("02345.6", 1) + frames("02345.6", 1);
        QTest::newRow("Up key on a down arrow")
            << "12345.6"
            << "AdjDown3" << QList<int>{Qt::Key_Up} << "12355.6" << frames("12355.6", 1);
        QTest::newRow("Down key on an up arrow")
            << "12345.6"
            << "AdjUp5" << QList<int>{Qt::Key_Down} << "11345.6" << frames("11345.6", 1);
    }
    void dialling() {
        QFETCH(QString, start);
        QFETCH(QString, target);
        QFETCH(QList<int>, input);
        QFETCH(QString, after);
        QFETCH(QByteArray, bytes);
        PanelHarness &panel = *panel_;
        panel.setValue(start.toStdString());
        QWidget *widget = panel.element(target);
        for (int value : input) {
            if (value == Qt::Key_Up || value == Qt::Key_Down) {
                widget->setFocus(Qt::TabFocusReason);
                QTest::keyClick(widget, Qt::Key(value));
                continue;
            }
            const QPointF at = QRectF(widget->rect()).center();
            QWheelEvent wheel(at, widget->mapToGlobal(at), {}, {0, value}, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(widget, &wheel);
        }
        QCOMPARE(panel.shown(), after);
        QCOMPARE(panel.received(), bytes);
    }
};

QTEST_MAIN(tst_PanelLink)
#include "tst_panel_link.moc"
