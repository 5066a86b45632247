// The link lamp's states after sequences of what the panel sees: its own
// commands' outcomes, the device coming and going, another program's value.
// And the whole wheel notches that high-resolution wheels add up to.

#include "frontpanel/link_lamp.h"
#include "frontpanel/wheel_notches.h"
#include "link/command_record.h"

#include <QtTest>

using namespace zz;

Q_DECLARE_METATYPE(zz::frontpanel::LampColour)

class tst_LinkLamp : public QObject {
    Q_OBJECT

private slots:
    // Steps: "ok" and "fail" are sends with the device present afterwards,
    // "fail-gone" a send that found no device; "gone" and "back" the idle
    // look; "follow" another program's record; "[" and "]" one action.
    void states_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<frontpanel::LampColour>("colour");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("inTooltip");

        using C = frontpanel::LampColour;
        QTest::newRow("nothing yet") << "" << C::Grey << "No command yet"
                                     << "Nothing sent";
        QTest::newRow("sent") << "ok" << C::Green << "Sent 01234.5"
                              << "\"01234.5\" sent to COM3";
        QTest::newRow("failed") << "ok fail" << C::Red << "Not sent"
                                << "COM3 (/dev/x): stalled";
        QTest::newRow("gone while idle") << "ok gone" << C::Grey << "COM3 not present"
                                         << "/dev/ttyUSB0 does not exist";
        QTest::newRow("failed, device gone, back") << "fail-gone gone back" << C::Amber << "Resend?"
                                                   << "F5";
        QTest::newRow("gone while idle, back") << "ok gone back" << C::Amber << "Resend?"
                                               << "F5";
        QTest::newRow("back, resent") << "fail-gone back ok" << C::Green << "Sent 01234.5"
                                      << "";
        QTest::newRow("back, resend failed") << "fail-gone back fail" << C::Red << "Not sent"
                                             << "";
        QTest::newRow("back before any command") << "gone back" << C::Grey << "No command yet"
                                                 << "";
        QTest::newRow("failed, device stays") << "fail back" << C::Red << "Not sent"
                                              << "";
        QTest::newRow("carry: a failure then successes") << "[ fail ok ok ]" << C::Red << "Not sent"
                                                         << "";
        QTest::newRow("next action succeeds") << "[ fail ok ] [ ok ]" << C::Green << "Sent 01234.5"
                                              << "";
        QTest::newRow("set by another program") << "fail follow" << C::Green << "Set by 6175ZIZ-ctl"
                                                << "sent by 6175ZIZ-ctl (process 4242)";
    }
    void states() {
        QFETCH(QString, steps);
        QFETCH(frontpanel::LampColour, colour);
        QFETCH(QString, caption);
        QFETCH(QString, inTooltip);

        frontpanel::LinkLamp lamp;
        const auto now = std::chrono::system_clock::now();
        const Status stalled = Status::failure(8026, "COM3 (/dev/x): stalled");
        for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
            if (step == "ok") lamp.commandSent("01234.5", {}, true, now);
            if (step == "fail") lamp.commandSent("01234.5", stalled, true, now);
            if (step == "fail-gone") lamp.commandSent("01234.5", stalled, false, now);
            if (step == "gone" || step == "back") lamp.devicePresence(step == "back");
            if (step == "follow") lamp.followed({"00555.5", 0, "6175ZIZ-ctl", 4242});
            if (step == "[") lamp.beginAction();
            if (step == "]") lamp.endAction();
        }
        const frontpanel::LampView view = lamp.view("COM3", "/dev/ttyUSB0");
        QCOMPARE(view.colour, colour);
        QCOMPARE(QString::fromStdString(view.caption), caption);
        QVERIFY2(QString::fromStdString(view.tooltip).contains(inTooltip), view.tooltip.c_str());
    }

    // (digit, delta) events, and the notches the panel steps after each.
    void wheelNotches_data() {
        QTest::addColumn<QList<QPoint>>("events");
        QTest::addColumn<QList<int>>("notches");
        QTest::newRow("mouse notches") << QList<QPoint>{{1, 120}, {1, -240}} << QList<int>{1, -2};
        QTest::newRow("fine steps add up")
            << QList<QPoint>{{2, 40}, {2, 40}, {2, 40}, {2, 100}} << QList<int>{0, 0, 1, 0};
        QTest::newRow("turning back starts afresh")
            << QList<QPoint>{{2, 100}, {2, -100}, {2, -20}} << QList<int>{0, 0, -1};
        QTest::newRow("another digit starts afresh")
            << QList<QPoint>{{2, 100}, {3, 100}, {3, 20}} << QList<int>{0, 0, 1};
        QTest::newRow("sideways changes nothing")
            << QList<QPoint>{{2, 100}, {2, 0}, {2, 20}} << QList<int>{0, 0, 1};
    }
    void wheelNotches() {
        QFETCH(QList<QPoint>, events);
        QFETCH(QList<int>, notches);
        frontpanel::WheelNotches wheel;
        QList<int> got;
        for (QPoint e : events) got << wheel.add(e.x(), e.y());
        QCOMPARE(got, notches);
    }
};

QTEST_APPLESS_MAIN(tst_LinkLamp)
#include "tst_link_lamp.moc"
