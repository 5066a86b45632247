// 6175ZIZ-ctl program, short, open and --burnout as a user runs them: the
// real program on a pseudo-terminal behind a private port map, the box's
// profile in the same private configuration folder, the exact bytes read on
// the far side.

#include "rig/child_process.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "support/bytes.h"

#include <QtTest>

#include <csignal>

using namespace std::chrono;
using zz::test::bytes;

namespace {

const QByteArray kLimits =
    "serial = \"A12345\"\nlead_offset = 0.35\n[limits]\nmin = 10\nmax = 2000\nmax_change = 500\n";
const QByteArray kSmallChanges = "[limits]\nmax_change = 150\n";

}  // namespace

class tst_CtlTemperatureProgram : public QObject {
    Q_OBJECT

    std::unique_ptr<zz::rig::PtyPair> pty_;
    std::unique_ptr<zz::rig::PortMapSandbox> sandbox_;
    std::unique_ptr<QTemporaryDir> cwd_;
    std::unique_ptr<zz::rig::ChildProcess> child_;

    QString outputPath() const { return cwd_->filePath("output.txt"); }
    QString output() const { return QString::fromUtf8(zz::test::fileBytes(outputPath())); }

    bool start(const QStringList &args) {
        std::vector<std::string> argv{CTL_PATH};
        for (const QString &arg : args) argv.push_back(arg.toStdString());
        return child_->start(argv, {}, cwd_->path().toStdString(), outputPath().toStdString());
    }
    std::optional<int> finish() { return zz::rig::exitCode(child_->waitForExit(seconds(30))); }
    bool writeProfile(const QByteArray &profile) {
        const QString boxes = QString::fromStdString(sandbox_->root()) + "/6175ZIZ/boxes";
        return QDir().mkpath(boxes) && zz::test::writeFile(boxes + "/com3.toml", profile);
    }

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
        child_.reset();
        sandbox_.reset();
        pty_.reset();
        cwd_.reset();
    }

    // `program` becomes prog.txt, `profile` boxes/com3.toml (null: none);
    // "|" separates pieces of what is printed.
    void runs_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("printed");
        const QByteArray none;
        QTest::newRow("a resistance ramp: a command at each 0.1 ohm")
            << "--port 3 --max-interval 2s program prog.txt"
            << QByteArray("start 100\nramp 100.3 in 1500ms\n") << none << 0
            << QByteArray("00100.0\r00100.1\r00100.2\r00100.3\r") << "00100.3  100.25 Ω";
        QTest::newRow("the sensor from the command line")
            << "--port 3 --rtd pt100 program prog.txt" << QByteArray("start 0\nstep 100C\n") << none
            << 0 << QByteArray("00100.0\r00138.5\r") << "00138.5  138.5055 Ω  100 °C";
        QTest::newRow("the sensor from the program, --final")
            << "--port 3 --final 0 program prog.txt"
            << QByteArray("sensor pt1000\nstart 0\nstep 10\n") << none << 0
            << QByteArray("01000.0\r01039.0\r01000.0\r") << "01039.0";
        QTest::newRow("the lead offset taken off, and said")
            << "--port 3 --rtd pt100 program prog.txt" << QByteArray("start 100C\n") << kLimits << 0
            << QByteArray("00138.2\r")
            << "00138.2  138.1555 Ω  100 °C  (138.5055 Ω less 0.35 Ω leads)\n";
        QTest::newRow("the sensor by --r0 and --cvd")
            << "--port 3 --r0 100 --cvd 3.9083e-3,-5.775e-7 program prog.txt"
            << QByteArray("start 0\nstep 100C\n") << none << 0 << QByteArray("00100.0\r00138.5\r")
            << "00138.5  138.5055 Ω  100 °C";
        QTest::newRow("a thermistor table of the profile by --ntc --type")
            << "--port 3 --ntc --type ntc9 program prog.txt" << QByteArray("start 25\nstep 50\n")
            << QByteArray(
                   "[sensors.ntc9]\nkind = \"ntc\"\nrows = [[0, 32730], [25, 10000], [50, "
                   "3588]]\n")
            << 0 << QByteArray("10000.0\r03588.0\r") << "03588.0  3588 Ω  50 °C";
        QTest::newRow("--type without --ntc")
            << "--port 3 --type pt100 program prog.txt" << QByteArray("start 25\n") << none << 2
            << none << "--type names the sensor of rtd and ntc";
        QTest::newRow("--final too far from a command: nothing sent")
            << "--port 3 --final 0 program prog.txt" << QByteArray("start 100\nstep 200\n")
            << kSmallChanges << 2 << none
            << "the program is refused whole: --final 00000.0 cannot follow command 2 at +|, line "
               "2 (step 200), 00200.0: a change of 200.0 Ω from 200.0 Ω, above the limit 150.0 Ω "
               "per command of this box's profile; nothing sent";
        QTest::newRow("--final near every command")
            << "--port 3 --final 100 program prog.txt" << QByteArray("start 100\nstep 200\n")
            << kSmallChanges << 0 << QByteArray("00100.0\r00200.0\r00100.0\r") << "00200.0";
        QTest::newRow("above the profile's limit: nothing sent")
            << "--port 3 program prog.txt" << QByteArray("start 1000\nramp 2100 in 1s\n") << kLimits
            << 2 << none
            << "the program is refused whole: command 56 at +0.917 s, line 2 (ramp 2100 in 1s), "
               "02008.3: above the limit 2000.0 Ω of this box's profile; nothing sent";
        QTest::newRow("a change above the profile's limit")
            << "--port 3 program prog.txt" << QByteArray("start 100\nstep 1000\n") << kLimits << 2
            << none << "line 2 (step 1000), 01000.0: a change of 900.0 Ω";
        QTest::newRow("a wrong line, by its number")
            << "--port 3 program prog.txt" << QByteArray("start 100\n\nwarm 3\n") << none << 2
            << none << "prog.txt:3: unknown step \"warm\"";
        QTest::newRow("outside the sensor's range")
            << "--port 3 --rtd pt100 program prog.txt" << QByteArray("start 0\nramp 900 10K/s\n")
            << none << 2 << none
            << "line 2 (ramp 900 10K/s): Pt100 at 900 °C: outside the sensor's range";
        QTest::newRow("a repeat too many")
            << "--port 3 program prog.txt"
            << QByteArray("start 0\nrepeat 1000000000 {\nsoak 1s\n}\n") << none << 2 << none
            << "prog.txt:2: the repeat count";
        QTest::newRow("a sweep's option is refused, not ignored")
            << "--port 3 program prog.txt --repeat 2" << QByteArray("start 0\n") << none << 2
            << none << "program takes no --step, --points-per-decade, --repeat, --dwell";
        QTest::newRow("max interval below two frames")
            << "--port 3 --max-interval 10ms program prog.txt" << QByteArray("start 0\n") << none
            << 2 << none << "--max-interval: at least two frames on the line, 16.7 ms";
        QTest::newRow("dry run: due times, steps, total")
            << "--port 3 --dry-run program prog.txt"
            << QByteArray("start 100\nrepeat 2 {\nramp 100.2 in 1s\nstep 100\n}\n") << none << 0
            << none
            << "+0.000 s  00100.0  100 Ω  line 1 (start 100)|+0.250 s  00100.1  100.05 Ω  line 3 "
               "(ramp 100.2 in 1s), pass 1|+1.000 s  00100.0  100 Ω  line 4 (step 100), pass 1|"
               "+1.250 s  00100.1  100.05 Ω  line 3 (ramp 100.2 in 1s), pass 2|total 2.000 s, 7 "
               "commands";
        QTest::newRow("short") << "--port 3 short" << none << none << 0 << QByteArray("00000.0\r")
                               << "00000.0  0 Ω";
        QTest::newRow("open, honestly")
            << "--port 3 open" << none << none << 0 << QByteArray("99999.9\r")
            << "the box has no true open: 99999.9 Ω, its highest value";
        QTest::newRow("open above the profile's limit")
            << "--port 3 open" << none << kLimits << 2 << none << "above the limit 2000.0 Ω";
        QTest::newRow("burnout high of a Pt100") << "--port 3 rtd --burnout high" << none << none
                                                 << 0 << QByteArray("00429.5\r") << "00429.5";
        QTest::newRow("burnout low of a thermistor, clamped")
            << "--port 3 ntc --r25 10k --beta 3950 --burnout low" << none << none << 0
            << QByteArray("99999.9\r") << "99999.9";
        QTest::newRow("burnout is for sensors") << "--port 3 set 1 --burnout low" << none << none
                                                << 2 << none << "set takes no --burnout";
    }
    void runs() {
        QFETCH(QString, args);
        QFETCH(QByteArray, program);
        QFETCH(QByteArray, profile);
        QFETCH(int, status);
        QFETCH(QByteArray, sent);
        QFETCH(QString, printed);
        if (!program.isNull()) QVERIFY(zz::test::writeFile(cwd_->filePath("prog.txt"), program));
        if (!profile.isNull()) QVERIFY(writeProfile(profile));
        QVERIFY(start(args.split(' ')));
        QCOMPARE(finish(), std::optional<int>(status));
        QCOMPARE(bytes(pty_->readAll(milliseconds(300))), sent);
        for (const QString &piece : printed.split('|'))
            QVERIFY2(output().contains(piece), qPrintable(output()));
    }

    // Stopped before its first command, a program ends on the final value
    // right after what the box was last sent: that change counts too.
    void finalValueFollowsTheLastCommand() {
        QVERIFY(writeProfile(kSmallChanges));
        QVERIFY(zz::test::writeFile(cwd_->filePath("prog.txt"), "start 1100\n"));
        QVERIFY(start({"--port", "3", "set", "1000"}));
        QCOMPARE(finish(), std::optional<int>(0));
        child_ = std::make_unique<zz::rig::ChildProcess>();
        QVERIFY(start({"--port", "3", "--final", "1200", "program", "prog.txt"}));
        QCOMPARE(finish(), std::optional<int>(2));
        QVERIFY2(output().contains("--final 01200.0 cannot follow the device's last command, "
                                   "where a run stopped before its first command ends: a "
                                   "change of 200.0 Ω from 1000.0 Ω"),
                 qPrintable(output()));
        QCOMPARE(bytes(pty_->readAll(milliseconds(300))), QByteArray("01000.0\r"));
    }

    // A slow ramp on the real clock: the changes on their due times and the
    // same value again after the longest interval; the log gives the target
    // temperature beside each command.
    void rampOnTheClock() {
        QVERIFY(zz::test::writeFile(cwd_->filePath("prog.txt"),
                                    "start 0\nramp 0.5 in 1500ms\nsoak 700ms\n"));
        QVERIFY(start({"--port", "3", "--rtd", "pt100", "--quiet", "--max-interval", "500ms",
                       "--log", "run.csv", "program", "prog.txt"}));
        QCOMPARE(finish(), std::optional<int>(0));
        // Pt100: 0.39 Ω a kelvin, so the text changes at 0.128 °C (0.384 s) and
        // 0.384 °C (1.151 s); 00100.1 again 500 ms after its first, and the
        // soak's 00100.2 at 1.651 s and 2.151 s.
        QVERIFY(steady_clock::now() - child_->startedAt() >= milliseconds(2150));
        QCOMPARE(bytes(pty_->readAll()),
                 QByteArray("00100.0\r00100.1\r00100.1\r00100.2\r00100.2\r00100.2\r"));
        const QList<QByteArray> log = zz::test::fileBytes(cwd_->filePath("run.csv")).split('\n');
        QCOMPARE(log.size(), 8);  // the header, six rows, the empty tail
        QVERIFY2(log[1].endsWith(",00100.0,100,0"), log[1].constData());
        QVERIFY2(log[3].endsWith(",00100.1,100.1151,0.295"), log[3].constData());
        QVERIFY2(log[6].endsWith(",00100.2,100.1954,0.5"), log[6].constData());
    }

    // Stopped in a soak: whole frames, the final value, where it stopped.
    void signalStopsProgram() {
        QVERIFY(zz::test::writeFile(cwd_->filePath("prog.txt"), "start 100\nsoak 1h\n"));
        QVERIFY(start({"--port", "3", "--final", "0", "program", "prog.txt"}));
        QCOMPARE(bytes(pty_->readExactly(8, seconds(10))), QByteArray("00100.0\r"));
        child_->signal(SIGINT);
        QCOMPARE(finish(), std::optional<int>(128 + SIGINT));
        QCOMPARE(bytes(pty_->readAll()), QByteArray("00000.0\r"));
        QVERIFY2(output().contains("stopped by SIGINT after 1 commands, last sent 00100.0"),
                 qPrintable(output()));
    }
};

QTEST_GUILESS_MAIN(tst_CtlTemperatureProgram)
#include "tst_ctl_temperature_program.moc"
