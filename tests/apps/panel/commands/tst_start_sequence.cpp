// The start sequence in-process, on real windows: the readout and the one
// start command after a normal start, the prompt that names a refused port,
// the message for an unusable settings file, and the pause.

#include "link/serial_control.h"
#include "panel/panel_window.h"
#include "portdialog/port_dialog.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "start_sequence.h"
#include "support/bytes.h"
#include "support/scratch_directory.h"
#include "support/scripted_boxes.h"

#include <QtTest>

#include <QLabel>
#include <QPushButton>

using namespace zz;

class tst_StartSequence : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ScratchCurrentDirectory> scratch_;
    std::unique_ptr<rig::PortMapSandbox> ports_;
    std::unique_ptr<rig::PtyPair> pty_;
    test::ScriptedBoxes boxes_;
    std::unique_ptr<link::SerialControl> serial_;

private slots:
    void init() {
        scratch_ = std::make_unique<test::ScratchCurrentDirectory>();
        QVERIFY(scratch_->ok());
        ports_ = std::make_unique<rig::PortMapSandbox>();
        pty_ = std::make_unique<rig::PtyPair>();
        QVERIFY(ports_->ok() && pty_->ok());
        QVERIFY(ports_->map(1, pty_->slavePath()));
        boxes_.calls.clear();
        serial_ = std::make_unique<link::SerialControl>();
    }
    void cleanup() {
        pty_.reset();
        ports_.reset();
        scratch_.reset();
    }

    void normalStartShows10000AndSendsItOnce() {
        QVERIFY(test::writeFile("Settings.txt", "1\r\n"));
        const panel::StartResult started = panel::runStartSequence(*serial_, boxes_);
        QVERIFY(!started.exitNow);
        std::unique_ptr<panel::PanelWindow> panel(started.panel);
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(QString::fromStdString(panel->digits().displayText()), QStringLiteral("10000.0"));
        QCOMPARE(panel->findChild<QLabel *>("DigitLab6")->text(), QStringLiteral("1"));
        QCOMPARE(QByteArray::fromStdString(pty_->readAll()), QByteArray("10000\r"));
        QVERIFY(!panel->serialControl().isOpen());
        QVERIFY(boxes_.calls.empty());
    }

    // A stored port that cannot be used brings up the dialog naming the
    // number read from the file; its Exit ends start-up with status 0.
    void refusedPortIsNamedInTheDialog_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("named");
        QTest::newRow("absent port 7") << QByteArray("7\r\n") << "7";
        QTest::newRow("negative -4") << QByteArray("-4") << "-4";
    }
    void refusedPortIsNamedInTheDialog() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, named);
        QVERIFY(test::writeFile("Settings.txt", stored));
        QVERIFY(ports_->map(7, scratch_->path().toStdString() + "/no-such-device"));

        QString caption;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto *dialog =
                qobject_cast<portdialog::PortDialog *>(QApplication::activeModalWidget());
            if (!dialog) return;
            poll.stop();
            caption = dialog->promptLabel()->text();
            dialog->exitButton()->click();
        });
        poll.start(20);
        const panel::StartResult started = panel::runStartSequence(*serial_, boxes_);

        QCOMPARE(caption,
                 "Invalid comm. port (" + named + ") set.\n\nPlease select a valid comm. port");
        QCOMPARE(started.exitNow, std::optional<int>(0));
        QVERIFY(!started.panel);
        QCOMPARE(QByteArray::fromStdString(pty_->readAll(std::chrono::milliseconds(300))),
                 QByteArray());
    }

    void unusableSettingsFileEndsWithAMessage() {
        QVERIFY(QDir().mkdir("Settings.txt"));
        const panel::StartResult started = panel::runStartSequence(*serial_, boxes_);
        QCOMPARE(started.exitNow, std::optional<int>(1));
        QVERIFY(!started.panel);
        const QStringList shown = boxes_.shown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(!boxes_.calls[0].question);
        const QString expectedStart = "6175ZIZ|The settings file cannot be opened or created.\r\r" +
                                      scratch_->path() + "/Settings.txt: ";
        QVERIFY2(shown[0].startsWith(expectedStart) && shown[0].size() > expectedStart.size(),
                 qPrintable(shown[0]));
    }

    void invalidPortCaption_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("caption");
        QTest::newRow("absent 7")
            << 7 << "Invalid comm. port (7) set.\r\rPlease select a valid comm. port";
        QTest::newRow("above 255") << 300
                                   << "Invalid comm. port (300) set.\r\rPlease select a valid "
                                      "comm. port";
    }
    void invalidPortCaption() {
        QFETCH(int, port);
        QFETCH(QString, caption);
        QCOMPARE(QString::fromStdString(zz::panel::invalidPortCaption(port)), caption);
    }

    // The pause lasts strictly longer than asked (a lower bound only), and
    // events other than the operator's still run during it, so windows repaint.
    void pauseEndsAfterItsTimeAndKeepsEventsRunning() {
        int timerTicks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { ++timerTicks; });
        tick.start(10);
        QElapsedTimer clock;
        clock.start();
        zz::panel::pauseFor(0.3);
        QVERIFY2(clock.nsecsElapsed() > 300'000'000,
                 qPrintable(QString::number(clock.nsecsElapsed())));
        QVERIFY(timerTicks > 0);
    }
};

QTEST_MAIN(tst_StartSequence)
#include "tst_start_sequence.moc"
