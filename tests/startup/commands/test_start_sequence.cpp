// Pieces of the start sequence that can be checked in-process: the prompt
// that names a refused port, and the pause.

#include "res_mod.h"

#include <QtTest>

class StartSequenceTest : public QObject {
    Q_OBJECT

private slots:
    void invalidPortCaption_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("caption");
        QTest::newRow("absent 7")
            << 7 << "Invalid comm. port (7) set.\r\rPlease select a valid comm. port";
        QTest::newRow("negative")
            << -4 << "Invalid comm. port (-4) set.\r\rPlease select a valid comm. port";
        QTest::newRow("above 255")
            << 300 << "Invalid comm. port (300) set.\r\rPlease select a valid comm. port";
    }
    void invalidPortCaption() {
        QFETCH(int, port);
        QFETCH(QString, caption);
        QCOMPARE(QString::fromStdString(zz::invalidPortCaption(port)), caption);
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
        zz::Pause(0.3);
        QVERIFY2(clock.nsecsElapsed() > 300'000'000,
                 qPrintable(QString::number(clock.nsecsElapsed())));
        QVERIFY(timerTicks > 0);
    }
};

QTEST_MAIN(StartSequenceTest)
#include "test_start_sequence.moc"
