// How the simulated instrument judges frames and line settings.

#include "frame_check.h"

#include <QtTest>

using namespace zz::sim;

class tst_FrameCheck : public QObject {
    Q_OBJECT

private slots:
    void frames_data() {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<double>("ohms");  // -1: rejected
        QTest::addColumn<QString>("problems");
        QTest::newRow("start") << QByteArray("10000\r") << 10000.0 << "";
        QTest::newRow("seven chars") << QByteArray("01234.5\r") << 1234.5 << "";
        QTest::newRow("preset") << QByteArray("0.1\r") << 0.1 << "";
        QTest::newRow("top") << QByteArray("99999.9\r") << 99999.9 << "";
        QTest::newRow("above top")
            << QByteArray("100000.0\r") << -1.0 << "out of range 0.0..99999.9";
        QTest::newRow("no CR") << QByteArray("12.0") << -1.0 << "no carriage return";
        QTest::newRow("line feed")
            << QByteArray("12.0\n\r") << -1.0 << "line feed in frame; not a decimal number";
        QTest::newRow("negative") << QByteArray("-00012.0\r") << -1.0 << "not a decimal number";
        QTest::newRow("two decimals") << QByteArray("1.25\r") << -1.0 << "not a decimal number";
        QTest::newRow("empty") << QByteArray("\r") << -1.0 << "not a decimal number";
        QTest::newRow("lone point") << QByteArray(".5\r") << -1.0 << "not a decimal number";
    }
    void frames() {
        QFETCH(QByteArray, raw);
        QFETCH(double, ohms);
        QFETCH(QString, problems);
        const Frame f = checkFrame(raw.toStdString());
        QStringList got;
        for (const auto &p : f.problems) got << QString::fromStdString(p);
        QCOMPARE(got.join("; "), problems);
        QCOMPARE(f.ohms.has_value(), ohms >= 0);
        if (f.ohms) QCOMPARE(*f.ohms, ohms);
    }

    void splitterKeepsPartialFrames() {
        FrameSplitter s;
        QCOMPARE(s.feed("100").size(), size_t(0));
        const auto frames = s.feed("00\r0.1\r99");
        QCOMPARE(frames.size(), size_t(2));
        QCOMPARE(QString::fromStdString(frames[0].raw), QStringLiteral("10000\r"));
        QCOMPARE(QString::fromStdString(frames[1].raw), QStringLiteral("0.1\r"));
        const auto rest = s.flush();
        QVERIFY(rest);
        QCOMPARE(QString::fromStdString(rest->raw), QStringLiteral("99"));
        QVERIFY(!s.flush());
    }

    void lineSettings() {
        termios t{};
        cfmakeraw(&t);
        cfsetspeed(&t, B9600);
        t.c_cflag |= CLOCAL | CREAD;
        QVERIFY(lineSettingProblems(t).empty());
        termios wrong = t;
        cfsetspeed(&wrong, B38400);
        wrong.c_cflag |= PARENB | CSTOPB | CRTSCTS;
        wrong.c_iflag |= IXON;
        QCOMPARE(lineSettingProblems(wrong).size(), size_t(5));
    }

    void escaping() {
        QCOMPARE(QString::fromStdString(escapeBytes(std::string("1.0\r\n\x01\\", 7))),
                 QStringLiteral("1.0\\r\\n\\x01\\\\"));
    }
};

QTEST_GUILESS_MAIN(tst_FrameCheck)
#include "tst_frame_check.moc"
