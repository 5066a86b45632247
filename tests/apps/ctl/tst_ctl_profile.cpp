// 6175ZIZ-ctl with a box profile: the real program, its port a
// pseudo-terminal behind a private port map and the profile in the same
// private configuration folder; the exact bytes read on the far side.

#include "profile/profile_file.h"
#include "rig/child_process.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "support/bytes.h"

#include <QtTest>

using namespace std::chrono;
using zz::test::bytes;

namespace {

QByteArray decade(const char *key, double unit, double first = 0) {
    QByteArray text = QByteArray(key) + " = [";
    for (int k = 1; k <= 9; ++k)
        text += (k > 1 ? "," : "") + QByteArray::number(k == 1 && first ? first : k * unit, 'f', 4);
    return text + "]\n";
}

// The 1 kΩ step reads long and the 900 Ω one short: 1000 Ω true is 00999.9.
QByteArray table(const char *hundreds = nullptr) {
    QByteArray text = "[table]\nzero = 0\nmeasured = 2026-01-10\ndue = 2027-01-10\n" +
                      decade("decade_0_1", 0.1) + decade("decade_1", 1) + decade("decade_10", 10);
    text += hundreds ? QByteArray(hundreds)
                     : QByteArray("decade_100 = [100,200,300,400,500,600,700,800,899.93]\n");
    return text + decade("decade_1000", 1000, 1000.33) + decade("decade_10000", 10000);
}

// A 10 kΩ B3950 thermistor's datasheet table, as a spreadsheet exports it.
const QByteArray kNtcCsv =
    "# 10k B3950\r\nT (°C);R (Ω)\r\n-40;336500\r\n-20;97280\r\n0;32730\r\n"
    "10;19940\r\n20;12500\r\n25;10000\r\n30;8051\r\n40;5314\r\n50;3588\r\n60;2474\r\n"
    "80;1245\r\n100;670\r\n125;334.8\r\n";
const QByteArray kNtcProfile = "[sensors.ntc1]\nkind = \"ntc\"\ntable = \"ntc1.csv\"\n";

const QByteArray kLimits =
    "serial = \"A12345\"\nlead_offset = 0.35\n[limits]\nmin = 10\nmax = "
    "2000\nmax_change = 500\n";

}  // namespace

class tst_CtlProfile : public QObject {
    Q_OBJECT

    std::unique_ptr<zz::rig::PtyPair> pty_;
    std::unique_ptr<zz::rig::PortMapSandbox> sandbox_;
    std::unique_ptr<QTemporaryDir> cwd_;
    std::unique_ptr<zz::rig::ChildProcess> child_;

    QString outputPath() const { return cwd_->filePath("output.txt"); }

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

    // `profile` becomes boxes/com3.toml (boxes/<device>.toml with --device);
    // null: no profile. "|" separates pieces of what is printed.
    void runs_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("printed");
        const QByteArray none;
        QTest::newRow("no profile: as always")
            << "--port 3 set 2500" << none << 0 << QByteArray("02500.0\r") << "02500.0  2500 Ω";
        QTest::newRow("inside the limits")
            << "--port 3 set 1500" << kLimits << 0 << QByteArray("01500.0\r") << "01500.0";
        QTest::newRow("above the limit")
            << "--port 3 set 2000.1" << kLimits << 2 << none
            << "02000.1: above the limit 2000.0 Ω of this box's profile; nothing sent";
        QTest::newRow("below the limit") << "--port 3 set 5" << kLimits << 2 << none
                                         << "below the limit 10.0 Ω of this box's profile";
        QTest::newRow("a sweep crossing the limit is refused before its first point")
            << "--port 3 sweep 1000 2400 --step 350 --dwell 10ms" << kLimits << 2 << none
            << "command 4 of 5 (2050.0 Ω): above the limit 2000.0 Ω";
        QTest::newRow("too large a change within a sweep")
            << "--port 3 sweep 100 1300 --step 600 --dwell 10ms" << kLimits << 2 << none
            << "command 2 of 3 (700.0 Ω): a change of 600.0 Ω from 100.0 Ω";
        QTest::newRow("final value outside") << "--port 3 set 100 --final 0" << kLimits << 2 << none
                                             << "--final 00000.0: below the limit 10.0 Ω";
        QTest::newRow("a broken profile sends nothing")
            << "--port 3 set 100" << QByteArray("[limits]\nmax = 2000\nmin = 3000\n") << 2 << none
            << "com3.toml:3: limits.min 3000.0 is above limits.max 2000.0; nothing is sent";
        QTest::newRow("not UTF-8") << "--port 3 set 100" << QByteArray("name = \"\xFF\"\n") << 2
                                   << none << "com3.toml:1: not UTF-8 text";
        QTest::newRow("a table with 8 steps")
            << "--port 3 set 100" << table("decade_100 = [100,200,300,400,500,600,700,800]\n") << 2
            << none << "com3.toml:8: table.decade_100 has 8 steps";
        QTest::newRow("true ohms") << "--port 3 set 1000 --true" << table() << 0
                                   << QByteArray("00999.9\r") << "00999.9 → 999.83 Ω true";
        QTest::newRow("an overdue table warns")
            << "--port 3 set 1000 --true" << table().replace("2027-01-10", "2001-01-10") << 0
            << QByteArray("00999.9\r")
            << "the correction table of this box's profile was due on 2001-01-10";
        QTest::newRow("true ohms need a table")
            << "--port 3 set 1000 --true" << kLimits << 2 << none
            << "--true needs a correction table ([table]) in the box's profile";
        QTest::newRow("true ohms need a profile")
            << "--port 3 set 1000 --true" << none << 2 << none
            << "--true needs a correction table, and there is no profile";
        QTest::newRow("lead offset off a sensor value")
            << "--port 3 rtd 0" << kLimits << 0 << QByteArray("00099.7\r") << "99.65 Ω  0 °C";
        QTest::newRow("lead offset leaves resistances alone")
            << "--port 3 set 100" << kLimits << 0 << QByteArray("00100.0\r") << "00100.0  100 Ω";
        QTest::newRow("a user's sensor by name")
            << "--port 3 rtd 100 --type Lot7"
            << QByteArray("[sensors.lot7]\nr0 = 100.5\na = 3.9083e-3\nb = -5.775e-7\n") << 0
            << QByteArray("00139.2\r") << "139.198 Ω  100 °C";
        QTest::newRow("a user's sensor in a sweep")
            << "--port 3 sweep 0 10 --step 10 --dwell 10ms --rtd lot7"
            << QByteArray("[sensors.lot7]\nr0 = 1000\na = 3.9083e-3\nb = -5.775e-7\n") << 0
            << QByteArray("01000.0\r01039.0\r") << "01039.0";
        QTest::newRow("a device has its own profile")
            << "--device {pty} set 2500" << kLimits << 2 << none << "above the limit 2000.0 Ω";
        QTest::newRow("check") << "--port 3 profile check" << kLimits << 0 << none
                               << "com3.toml: read|serial: A12345|limits: 10.0 Ω to 2000.0 Ω, at "
                                  "most 500.0 Ω change a command";
        QTest::newRow("check refuses")
            << "--port 3 profile check" << QByteArray("[limits]\nmin = -1\n") << 2 << none
            << "com3.toml:2: limits.min -1.0 must not be negative|nothing is sent to this port";
        QTest::newRow("show the defaults") << "--port 3 profile show" << none << 0 << none
                                           << "(absent: the defaults)|max = 99999.9";
    }
    void runs() {
        QFETCH(QString, args);
        QFETCH(QByteArray, profile);
        QFETCH(int, status);
        QFETCH(QByteArray, sent);
        QFETCH(QString, printed);
        const bool device = args.contains("{pty}");
        args.replace("{pty}", QString::fromStdString(pty_->slavePath()));
        if (!profile.isNull()) {
            const std::string name = device ? zz::profile::deviceProfileName(pty_->slavePath())
                                            : std::string("com3.toml");
            const QString boxes = QString::fromStdString(sandbox_->root()) + "/6175ZIZ/boxes";
            QVERIFY(QDir().mkpath(boxes));
            QVERIFY(zz::test::writeFile(boxes + "/" + QString::fromStdString(name), profile));
        }
        std::vector<std::string> argv{CTL_PATH};
        for (const QString &arg : args.split(' ')) argv.push_back(arg.toStdString());
        QVERIFY(child_->start(argv, {}, cwd_->path().toStdString(), outputPath().toStdString()));
        QCOMPARE(zz::rig::exitCode(child_->waitForExit(seconds(30))), std::optional<int>(status));
        QCOMPARE(bytes(pty_->readAll(milliseconds(300))), sent);
        const QString output = QString::fromUtf8(zz::test::fileBytes(outputPath()));
        for (const QString &piece : printed.split('|'))
            QVERIFY2(output.contains(piece), qPrintable(output));
    }

    // A sensor from a datasheet's table: boxes/ntc1.csv beside the profile
    // (null: none), named like the catalogue's sensors.
    void tableSensors_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("printed");
        const QByteArray none;
        QTest::newRow("a row of the table")
            << "--port 3 rtd 25 --type NTC1" << kNtcProfile << kNtcCsv << 0
            << QByteArray("10000.0\r") << "10000 Ω  25 °C";
        QTest::newRow("between rows: ln R in 1/T")
            << "--port 3 rtd 37 --type ntc1" << kNtcProfile << kNtcCsv << 0
            << QByteArray("06002.4\r") << "06002.4  6002.4475 Ω  37 °C";
        QTest::newRow("rows inline in a sweep")
            << "--port 3 sweep 0 100 --step 25 --dwell 10ms --rtd pt100t"
            << QByteArray(
                   "[sensors.pt100t]\nkind = \"rtd\"\nrows = [[0, 100], [50, 119.40], "
                   "[100, 138.51]]\n")
            << none << 0 << QByteArray("00100.0\r00109.7\r00119.4\r00129.0\r00138.5\r")
            << "00129.0";
        QTest::newRow("outside the table")
            << "--port 3 rtd 130 --type ntc1" << kNtcProfile << kNtcCsv << 2 << none
            << "ntc1 at 130 °C: outside the sensor's range -40 to 125 °C";
        QTest::newRow("a broken table sends nothing")
            << "--port 3 rtd 25 --type ntc1" << kNtcProfile
            << QByteArray(kNtcCsv).replace("20;12500", "20;21500") << 2 << none
            << "com3.toml:3: sensors.ntc1.table: |ntc1.csv:7: resistance 21500 Ω does not fall "
               "from 19940 Ω|; nothing is sent to this port";
        QTest::newRow("an unknown name lists the profile's")
            << "--port 3 rtd 25 --type ntc2" << kNtcProfile << kNtcCsv << 2 << none
            << "unknown sensor type \"ntc2\": use pt100, pt500, pt1000, ni1000 or ntc1";
        QTest::newRow("show prints the rows read")
            << "--port 3 profile show" << kNtcProfile << kNtcCsv << 0 << none
            << "[sensors.ntc1]\nkind = \"ntc\"\nrows = [|  [-40, 336500],\n  [-20, 97280],|"
               "  [125, 334.8],\n]\n";
    }
    void tableSensors() {
        QFETCH(QString, args);
        QFETCH(QByteArray, profile);
        QFETCH(QByteArray, csv);
        QFETCH(int, status);
        QFETCH(QByteArray, sent);
        QFETCH(QString, printed);
        const QString boxes = QString::fromStdString(sandbox_->root()) + "/6175ZIZ/boxes";
        QVERIFY(QDir().mkpath(boxes));
        QVERIFY(zz::test::writeFile(boxes + "/com3.toml", profile));
        if (!csv.isNull()) QVERIFY(zz::test::writeFile(boxes + "/ntc1.csv", csv));
        std::vector<std::string> argv{CTL_PATH};
        for (const QString &arg : args.split(' ')) argv.push_back(arg.toStdString());
        QVERIFY(child_->start(argv, {}, cwd_->path().toStdString(), outputPath().toStdString()));
        QCOMPARE(zz::rig::exitCode(child_->waitForExit(seconds(30))), std::optional<int>(status));
        QCOMPARE(bytes(pty_->readAll(milliseconds(300))), sent);
        const QString output = QString::fromUtf8(zz::test::fileBytes(outputPath()));
        for (const QString &piece : printed.split('|'))
            QVERIFY2(output.contains(piece), qPrintable(output));
    }

    // The first command's change counts from what the box was last sent.
    void firstChangeCountsFromTheLastCommand() {
        const QString boxes = QString::fromStdString(sandbox_->root()) + "/6175ZIZ/boxes";
        QVERIFY(QDir().mkpath(boxes));
        QVERIFY(zz::test::writeFile(boxes + "/com3.toml", kLimits));
        const auto run = [&](const char *value) {
            child_ = std::make_unique<zz::rig::ChildProcess>();
            const std::vector<std::string> argv{CTL_PATH, "--port", "3", "set", value};
            if (!child_->start(argv, {}, cwd_->path().toStdString(), outputPath().toStdString()))
                return std::optional<int>();
            return zz::rig::exitCode(child_->waitForExit(seconds(30)));
        };
        QCOMPARE(run("1000"), std::optional<int>(0));
        QCOMPARE(run("1600"), std::optional<int>(2));
        QVERIFY(zz::test::fileBytes(outputPath()).contains("a change of 600.0 Ω from 1000.0 Ω"));
        QCOMPARE(run("1500"), std::optional<int>(0));
        QCOMPARE(bytes(pty_->readAll(milliseconds(300))), QByteArray("01000.0\r01500.0\r"));
    }
};

QTEST_GUILESS_MAIN(tst_CtlProfile)
#include "tst_ctl_profile.moc"
