// 6175ZIZ-ctl as a user runs it: the real program, its port a
// pseudo-terminal behind a private port map, the exact bytes read on the far
// side, its exit status and what it printed.

#include "common/version.h"
#include "link/command_record.h"
#include "rig/child_process.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "support/bytes.h"

#include <QtTest>

#include <sys/ioctl.h>
#include <termios.h>

#include <csignal>

using namespace std::chrono;
using zz::test::bytes;

class tst_CtlProgram : public QObject {
    Q_OBJECT

    std::unique_ptr<zz::rig::PtyPair> pty_;
    std::unique_ptr<zz::rig::PortMapSandbox> sandbox_;
    std::unique_ptr<QTemporaryDir> cwd_;  // the program's current directory
    std::unique_ptr<zz::rig::ChildProcess> child_;

    QString outputPath() const { return cwd_->filePath("output.txt"); }
    QByteArray output() const { return zz::test::fileBytes(outputPath()); }

    // Starts the program in its own directory; "{pty}" in an argument is the
    // pseudo-terminal's path.
    bool start(const QStringList &args) {
        std::vector<std::string> argv{CTL_PATH};
        for (QString arg : args)
            argv.push_back(
                arg.replace("{pty}", QString::fromStdString(pty_->slavePath())).toStdString());
        return child_->start(argv, {}, cwd_->path().toStdString(), outputPath().toStdString());
    }
    std::optional<int> finish() { return zz::rig::exitCode(child_->waitForExit(seconds(30))); }

private slots:
    void init() {
        pty_ = std::make_unique<zz::rig::PtyPair>();
        sandbox_ = std::make_unique<zz::rig::PortMapSandbox>();
        cwd_ = std::make_unique<QTemporaryDir>();
        child_ = std::make_unique<zz::rig::ChildProcess>();
        QVERIFY(pty_->ok() && sandbox_->ok() && cwd_->isValid());
        QVERIFY(sandbox_->map(3, pty_->slavePath()));
    }
    void cleanup() {
        child_.reset();  // kills the program if it still runs
        sandbox_.reset();
        pty_.reset();
        cwd_.reset();
    }

    // One run each: exit status, the bytes on the line, and a piece of what
    // the program printed ("|" between pieces). `settings` becomes Settings.txt, `list` points.txt.
    void runs_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("printed");
        const QByteArray none;
        QTest::newRow("set a code") << "--port 3 set 4k7" << none << none << 0
                                    << QByteArray("04700.0\r") << "04700.0  4700 Ω";
        QTest::newRow("an option given twice, the last counts")
            << "--port 9 --port 3 set 1k" << none << none << 0 << QByteArray("01000.0\r")
            << "01000.0";
        QTest::newRow("set with spaces")
            << "--port 3 set 1.5 kΩ" << none << none << 0 << QByteArray("01500.0\r") << "01500.0";
        QTest::newRow("Pt100 at 100 °C")
            << "--port 3 rtd 100" << none << none << 0 << QByteArray("00138.5\r")
            << "00138.5  138.5055 Ω  100 °C";
        QTest::newRow("negative temperature starting -0 is a value")
            << "--port 3 rtd -0.5" << none << none << 0 << QByteArray("00099.8\r")
            << "00099.8  99.8046 Ω  -0.5 °C";
        QTest::newRow("device, final when done")
            << "--device {pty} set 250m --final 0" << none << none << 0
            << QByteArray("00000.3\r00000.0\r") << "00000.0  0 Ω";
        QTest::newRow("port from Settings.txt")
            << "set 1k2" << QByteArray("3") << none << 0 << QByteArray("01200.0\r") << "01200.0";
        QTest::newRow("list") << "--port 3 list points.txt" << none
                              << QByteArray("100,10ms\n# x\n\n1k\n") << 0
                              << QByteArray("00100.0\r01000.0\r") << "01000.0";
        QTest::newRow("no port") << "set 100" << none << none << 2 << none
                                 << "no port given: use --port N";
        QTest::newRow("negative") << "--port 3 set -5" << none << none << 2 << none
                                  << "negative resistance";
        QTest::newRow("above the limit")
            << "--port 3 set 99999.95" << none << none << 2 << none << "above 99999.9";
        QTest::newRow("sensor out of range")
            << "--port 3 sweep 800 900 --step 50 --rtd pt100" << none << none << 2 << none
            << "point 3 of the sweep: Pt100 at 900 °C";
        QTest::newRow("list on real-time priority")
            << "--port 3 --realtime list points.txt" << none << QByteArray("5\n7\n") << 0
            << QByteArray("00005.0\r00007.0\r") << "00007.0";
        QTest::newRow("realtime is for sweeps and lists")
            << "--port 3 --realtime set 1" << none << none << 2 << none
            << "set takes no --realtime";
        QTest::newRow("bad list line")
            << "--port 3 list points.txt" << none << QByteArray("100\n\nxyz\n") << 2 << none
            << "points.txt:3: cannot read \"xyz\"";
        QTest::newRow("unknown option") << "--port 3 --fast set 1" << none << none << 2 << none
                                        << "unrecognized option '--fast'";
        QTest::newRow("dry run, a port named wrongly")
            << "--port 999 --dry-run set 1" << none << none << 2 << none
            << "--port: \"999\" is not a port number from 1 to 255";
        QTest::newRow("dry run") << "--port 3 --dry-run sweep 100 120 --step 10 --dwell 2s" << none
                                 << none << 0 << none << "+4.000 s  00120.0";
        QTest::newRow("link fails, final tried")
            << "--device /nonexistent/tty sweep 1 3 --step 1 --final 0" << none << none << 1 << none
            << "point 1 of 3 (00001.0) failed: |final value 00000.0 failed: ";
        QTest::newRow("help") << "--help" << none << none << 0 << none
                              << "Usage: 6175ZIZ-ctl [OPTION]... set VALUE";
        QTest::newRow("version") << "--version" << none << none << 0 << none
                                 << QString("6175ZIZ-ctl (6175ZIZ) %1\nCopyright (C) Quellor Ltd")
                                        .arg(zz::common::kVersion);
    }
    void runs() {
        QFETCH(QString, args);
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, list);
        QFETCH(int, status);
        QFETCH(QByteArray, sent);
        QFETCH(QString, printed);
        if (!settings.isNull())
            QVERIFY(zz::test::writeFile(cwd_->filePath("Settings.txt"), settings));
        if (!list.isNull()) QVERIFY(zz::test::writeFile(cwd_->filePath("points.txt"), list));
        QVERIFY(start(args.split(' ')));
        QCOMPARE(finish(), std::optional<int>(status));
        QCOMPARE(bytes(pty_->readAll(milliseconds(500))), sent);
        for (const QString &piece : printed.split('|'))
            QVERIFY2(QString::fromUtf8(output()).contains(piece), output().constData());
        // Settings.txt is read when present, never made.
        QCOMPARE(QFileInfo::exists(cwd_->filePath("Settings.txt")), !settings.isNull());
    }

    // Each point starts on its own deadline, however long the previous one
    // took: four points at 150 ms take at least 450 ms. The log holds every
    // command and the device's record names the program.
    void sweepKeepsItsTimetable() {
        QVERIFY(start({"--port", "3", "--quiet", "--log", "run.csv", "sweep", "100", "130",
                       "--step", "10", "--dwell", "150ms"}));
        QCOMPARE(finish(), std::optional<int>(0));
        QVERIFY(steady_clock::now() - child_->startedAt() >= milliseconds(450));
        QCOMPARE(bytes(pty_->readAll()), QByteArray("00100.0\r00110.0\r00120.0\r00130.0\r"));
        QCOMPARE(output(), QByteArray());
        const QList<QByteArray> log = zz::test::fileBytes(cwd_->filePath("run.csv")).split('\n');
        QCOMPARE(log.size(), 6);  // header, four rows, the empty tail
        QCOMPARE(log[0], QByteArray("time,command,ohms,celsius"));
        QVERIFY2(log[4].endsWith(",00130.0,130,"), log[4].constData());
        const auto record = zz::link::readCommandRecord(pty_->slavePath());
        QVERIFY(record);
        QCOMPARE(QString::fromStdString(record->program), QString("6175ZIZ-ctl"));
        QCOMPARE(QString::fromStdString(record->command), QString("00130.0"));
    }

    // Every point went out but the final value failed: the device under
    // test may not be safe, so the run ends with the link-failure status.
    // The last point is held on the line (output stopped) while the map
    // entry goes, so the final value's open finds no device.
    void failedFinalValueFailsTheRun() {
        QVERIFY(start({"--port", "3", "--final", "0", "sweep", "100", "110", "--step", "10",
                       "--dwell", "1s"}));
        QCOMPARE(bytes(pty_->readExactly(8, seconds(10))), QByteArray("00100.0\r"));
        const auto exclusive = [&] {
            int on = -1;
            ioctl(pty_->slaveFd(), TIOCGEXCL, &on);
            return on == 1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(!exclusive(), 5000);  // point 1 released the port
        QVERIFY(tcflow(pty_->slaveFd(), TCOOFF) == 0);
        QTRY_VERIFY_WITH_TIMEOUT(exclusive(), 5000);  // point 2 holds it, its frame held up
        sandbox_->unmap(3);
        pty_->resume();
        QCOMPARE(finish(), std::optional<int>(1));
        QCOMPARE(bytes(pty_->readAll()), QByteArray("00110.0\r"));
        QVERIFY2(output().contains("final value 00000.0 failed: COM3"), output().constData());
    }

    // Stopped between points: whole frames only, the final value, where it
    // stopped, and 128 + the signal's number.
    void signalStopsSweep_data() {
        QTest::addColumn<int>("sig");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void signalStopsSweep() {
        QFETCH(int, sig);
        QVERIFY(start({"--port", "3", "--final", "0", "sweep", "100", "200", "--step", "10",
                       "--dwell", "10s"}));
        QCOMPARE(bytes(pty_->readExactly(8, seconds(10))), QByteArray("00100.0\r"));
        child_->signal(sig);
        QCOMPARE(finish(), std::optional<int>(128 + sig));
        QCOMPARE(bytes(pty_->readAll()), QByteArray("00000.0\r"));
        QVERIFY2(output().contains("after 1 of 11 points, last sent 00100.0"),
                 output().constData());
    }

    // The instrument simulator takes what the program sends as good frames;
    // with a sensor, --final is a temperature too (25 °C).
    void simulatorTakesTheCommands() {
        zz::rig::ChildProcess sim;
        const QString simOutput = cwd_->filePath("sim.txt");
        QVERIFY(sim.start({SIM_PATH, "--port", "4"}, {}, {}, simOutput.toStdString()));
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(cwd_->filePath("sim.txt")).size() > 0; },
                                10000));
        QVERIFY(start({"--port", "4", "--final", "25", "sweep", "-100", "100", "--step", "100",
                       "--rtd", "pt100", "--dwell", "100ms"}));
        QCOMPARE(finish(), std::optional<int>(0));
        const auto frames = [&] { return QString::fromUtf8(zz::test::fileBytes(simOutput)); };
        QVERIFY(QTest::qWaitFor([&] { return frames().count(" ohm") == 4; }, 10000));
        for (const char *frame : {"\"00060.3\\r\"  60.3 ohm", "\"00100.0\\r\"  100.0 ohm",
                                  "\"00138.5\\r\"  138.5 ohm", "\"00109.7\\r\"  109.7 ohm"})
            QVERIFY2(frames().contains(frame), qPrintable(frames()));
        QVERIFY2(!frames().contains("MALFORMED"), qPrintable(frames()));
    }
};

QTEST_GUILESS_MAIN(tst_CtlProgram)
#include "tst_ctl_program.moc"
