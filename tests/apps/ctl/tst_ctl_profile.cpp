// 6175ZIZ-ctl with a box profile: the real program, its port a
// pseudo-terminal behind a private port map and the profile in the same
// private configuration folder; the exact bytes read on the far side.

#include "ctl_rig.h"
#include "profile/profile_file.h"
#include "profile/profile_reader.h"
#include "support/bytes.h"
#include "support/one_profile_rows.h"

#include <QtTest>

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
const QByteArray kSmallChanges = "[limits]\nmax_change = 100\n";

// The user's sensors of three kinds, for the help and profile check.
const QByteArray kSensors =
    "[sensors.lot7]\nr0 = 100.5\na = 3.9083e-3\nb = -5.775e-7\n"
    "[sensors.pt100t]\nkind = \"rtd\"\nrows = [[0, 100], [50, 119.40], [100, 138.51]]\n"
    "[sensors.ntc9]\nkind = \"ntc\"\nrows = [[0, 32730], [25, 10000], [50, 3588]]\n";

// Six sensors with names of the longest kind: the help still keeps to 80 columns.
QByteArray longNamedSensors() {
    QByteArray text;
    for (char c = 'a'; c < 'g'; ++c)
        text += "[sensors." + QByteArray(31, c) + "1]\nr0 = 100\na = 3.9e-3\nb = -5.8e-7\n";
    return text;
}

// points.txt of the list rows: its third point is above kLimits' maximum.
const QByteArray kPoints = "1000\n1500\n2100\n";

// With step 9 of the 10 kΩ decade 0.2 Ω long, the nearest true value to
// 99999.9 Ω would be 99999.8: an open must still be 99999.9.
QByteArray longTopTable() {
    return table()
        .replace("80000.0000,90000.0000", "80000.0000,90000.2000")
        .replace("zero = 0\n", "zero = 0.012\n");
}

}  // namespace

class tst_CtlProfile : public QObject {
    Q_OBJECT

    std::unique_ptr<zz::test::CtlRig> rig_;

    // Runs the program; its exit status, the bytes on the line and what it
    // printed ("|" between pieces) as a row says.
    void expectRun(const QStringList &args, int status, const QByteArray &sent,
                   const QString &printed) {
        QCOMPARE(rig_->run(args), std::optional<int>(status));
        QCOMPARE(rig_->sent(), sent);
        QVERIFY2(rig_->printedAll(printed), qPrintable(rig_->output()));
    }

private slots:
    void init() {
        rig_ = std::make_unique<zz::test::CtlRig>();
        QVERIFY(rig_->ok());
    }
    void cleanup() { rig_.reset(); }

    // `profile` becomes boxes/com3.toml (boxes/<device>.toml with {pty});
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
        QTest::newRow("a final value too far from a point")
            << "--port 3 sweep 1000 1100 --step 100 --dwell 10ms --final 0" << kSmallChanges << 2
            << none
            << "--final 00000.0 cannot follow point 1 of 2 (01000.0): a change of 1000.0 Ω from "
               "1000.0 Ω, above the limit 100.0 Ω per command of this box's profile; nothing sent";
        QTest::newRow("a final value near every point")
            << "--port 3 sweep 1000 1100 --step 100 --dwell 10ms --final 1050" << kSmallChanges << 0
            << QByteArray("01000.0\r01100.0\r01050.0\r") << "01050.0";
        QTest::newRow("a final value too far from the last point")
            << "--port 3 sweep 1000 1100 --step 100 --dwell 10ms --final 950" << kSmallChanges << 2
            << none << "--final 00950.0 cannot follow point 2 of 2 (01100.0): a change of 150.0 Ω";
        QTest::newRow("a list whose third point is above the limit")
            << "--port 3 list points.txt --dwell 10ms" << kLimits << 2 << none
            << "the run is refused whole: command 3 of 3 (2100.0 Ω): above the limit 2000.0 Ω";
        QTest::newRow("a broken profile sends nothing")
            << "--port 3 set 100" << QByteArray("[limits]\nmax = 2000\nmin = 3000\n") << 2 << none
            << "com3.toml:3: limits.min 3000.0 is above limits.max 2000.0; nothing is sent";
        QTest::newRow("not UTF-8") << "--port 3 set 100" << QByteArray("name = \"\xFF\"\n") << 2
                                   << none << "com3.toml:1: not UTF-8 text";
        QTest::newRow("a wrong type")
            << "--port 3 set 100" << QByteArray("[limits]\nmax = \"2000\"\n") << 2 << none
            << "com3.toml:2: limits.max must be a number of ohms; nothing is sent";
        QTest::newRow("a file over 1 MB")
            << "--port 3 set 100" << QByteArray("#") + QByteArray(1024 * 1024, 'x') << 2 << none
            << "com3.toml:1: the file is larger than 1 MB";
        QTest::newRow("a table with 8 steps")
            << "--port 3 set 100" << table("decade_100 = [100,200,300,400,500,600,700,800]\n") << 2
            << none << "com3.toml:8: table.decade_100 has 8 steps";
        QTest::newRow("true ohms") << "--port 3 set 1000 --true" << table() << 0
                                   << QByteArray("00999.9\r") << "00999.9 → 999.83 Ω true";
        QTest::newRow("true ohms in a sweep")
            << "--port 3 sweep 900 1000 --step 100 --dwell 10ms --true" << table() << 0
            << QByteArray("00900.1\r00999.9\r") << "00900.1 → 900.03 Ω true|00999.9 → 999.83";
        QTest::newRow("true ohms of a sensor")
            << "--port 3 rtd 0 --type pt1000 --true" << table() << 0 << QByteArray("00999.9\r")
            << "00999.9 → 999.83 Ω true  0 °C";
        QTest::newRow("a short is 00000.0 in true mode too")
            << "--port 3 short --true" << longTopTable() << 0 << QByteArray("00000.0\r")
            << "00000.0 → 0.01 Ω true";
        QTest::newRow("an open is 99999.9 in true mode too")
            << "--port 3 open --true" << longTopTable() << 0 << QByteArray("99999.9\r")
            << "99999.9 → 100000.04 Ω true|the box has no true open";
        QTest::newRow("a burnout in true mode")
            << "--port 3 rtd --burnout low --type pt1000 --true" << table() << 0
            << QByteArray("00166.7\r") << "00166.7 → 166.70 Ω true";
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
        QTest::newRow("lead offset off a sensor value, said at the end")
            << "--port 3 rtd 0" << kLimits << 0 << QByteArray("00099.7\r")
            << "00099.7  99.65 Ω  0 °C  (100 Ω less 0.35 Ω leads)\n";
        QTest::newRow("lead offset off a burnout")
            << "--port 3 rtd --burnout high" << kLimits << 0 << QByteArray("00429.2\r")
            << "00429.2  429.1792 Ω  (429.5292 Ω less 0.35 Ω leads)\n";
        QTest::newRow("lead offset in true mode")
            << "--port 3 rtd 0 --true" << table().replace("[table]", "lead_offset = 0.32\n[table]")
            << 0 << QByteArray("00099.7\r")
            << "00099.7 → 99.70 Ω true  0 °C  (100 Ω less 0.32 Ω leads)";
        QTest::newRow("lead offset leaves resistances alone")
            << "--port 3 set 100" << kLimits << 0 << QByteArray("00100.0\r") << "00100.0  100 Ω\n";
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
        QTest::newRow("a device a port leads to has that port's profile")
            << "--device {pty of 3} set 2500" << kLimits << 2 << none << "above the limit 2000.0 Ω";
        QTest::newRow("check")
            << "--port 3 profile check" << kLimits << 0 << none
            << "com3.toml: read|serial: A12345|name: (not given)|limits: 10.0 Ω to 2000.0 Ω, at "
               "most 500.0 Ω change a command";
        QTest::newRow("check lists the sensors")
            << "--port 3 profile check" << kSensors << 0 << none
            << "sensor lot7: platinum, R0 100.5 Ω, A 0.0039083, B -5.775e-07, C 0, -200 to 850 "
               "°C\n|sensor pt100t: RTD table, 3 rows, 0 to 100 °C, 100 to 138.51 Ω\n|"
               "sensor ntc9: NTC table, 3 rows, 0 to 50 °C, 32730 to 3588 Ω\n";
        QTest::newRow("check without sensors")
            << "--port 3 profile check" << kLimits << 0 << none << "sensors: none of its own\n";
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
        // {pty}: the device by its path, its profile its own; {pty of 3}: the
        // same device, whose profile is that of port 3, which leads to it.
        const bool device = args.contains("{pty}");
        args.replace("{pty of 3}", "{pty}");
        if (!profile.isNull()) {
            const std::string name = device
                                         ? zz::profile::deviceProfileName(rig_->pty().slavePath())
                                         : std::string("com3.toml");
            QVERIFY(rig_->writeBox(QString::fromStdString(name), profile));
        }
        QVERIFY(rig_->writeHere("points.txt", kPoints));
        expectRun(args.split(' '), status, sent, printed);
    }

    // The rows every front end is held to under one profile
    // (tests/support/one_profile): one run each, in order, on port 3.
    void oneProfileAsEveryFrontEnd() {
        QVERIFY(rig_->writeBox("com3.toml", zz::test::oneProfileText()));
        const QList<zz::test::ProfileRow> rows = zz::test::oneProfileRows();
        QCOMPARE(rows.size(), 12);
        for (const zz::test::ProfileRow &row : rows) {
            const bool sensor = row.action.startsWith("sensor");
            QStringList args{"--port", "3", sensor ? "rtd" : "set", row.value};
            if (sensor)
                args << "--type"
                     << "lot7";
            if (row.action.endsWith("true")) args << "--true";
            expectRun(args, row.refusal.isEmpty() ? 0 : 2, row.sent, row.refusal);
        }
    }

    // --help names the sensors of the port's profile after the catalogue's,
    // each kind where it is taken, and keeps to 80 columns; a profile that
    // cannot be read leaves the help as it is.
    void helpNamesTheProfilesSensors_data() {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("three kinds")
            << kSensors
            << QStringList{"[--type pt100|pt500|pt1000|ni1000|lot7|pt100t\n",
                           " | --table FILE | --type ntc9)\n",
                           "(pt100, pt500, pt1000, ni1000, lot7, pt100t; or",
                           "rtd: pt100, pt500, pt1000, ni1000, lot7 or pt100t (pt100",
                           "box's profile (ntc9)\n"};
        // One name a line where two would pass 80 columns.
        const QString indent(33, ' ');
        QTest::newRow("long names")
            << longNamedSensors()
            << QStringList{"[--type pt100|pt500|pt1000|ni1000|\n" + indent +
                               "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa1|\n" + indent +
                               "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb1|\n",
                           "fffffffffffffffffffffffffffffff1\n" + indent +
                               "| --r0 R --cvd A,B[,C] | --table FILE]"};
        QTest::newRow("a broken profile")
            << QByteArray("[limits]\nmin = -1\n")
            << QStringList{"[--type pt100|pt500|pt1000|ni1000\n", "| --type NAME)\n"};
    }
    void helpNamesTheProfilesSensors() {
        QFETCH(QByteArray, profile);
        QFETCH(QStringList, printed);
        QVERIFY(rig_->writeBox("com3.toml", profile));
        QCOMPARE(rig_->run({"--port", "3", "--help"}), std::optional<int>(0));
        const QString output = rig_->output();
        for (const QString &piece : printed) QVERIFY2(output.contains(piece), qPrintable(output));
        for (const QString &line : output.split('\n'))
            QVERIFY2(line.size() <= 80, qPrintable(line));
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
            << "--port 3 ntc 25 --type NTC1" << kNtcProfile << kNtcCsv << 0
            << QByteArray("10000.0\r") << "10000 Ω  25 °C";
        QTest::newRow("between rows: ln R in 1/T")
            << "--port 3 ntc 37 --type ntc1" << kNtcProfile << kNtcCsv << 0
            << QByteArray("06002.4\r") << "06002.4  6002.4475 Ω  37 °C";
        QTest::newRow("a thermistor table in a sweep")
            << "--port 3 sweep 25 30 --step 5 --dwell 10ms --ntc --type ntc1" << kNtcProfile
            << kNtcCsv << 0 << QByteArray("10000.0\r08051.0\r") << "08051.0";
        QTest::newRow("rtd refuses a thermistor's table")
            << "--port 3 rtd 25 --type ntc1" << kNtcProfile << kNtcCsv << 2 << none
            << "\"ntc1\" is a thermistor's table, not a resistance thermometer: use ntc --type "
               "ntc1";
        QTest::newRow("--rtd refuses a thermistor's table")
            << "--port 3 sweep 25 30 --step 5 --rtd ntc1" << kNtcProfile << kNtcCsv << 2 << none
            << "use --ntc --type ntc1";
        QTest::newRow("ntc refuses a resistance thermometer")
            << "--port 3 ntc 25 --type pt100" << kNtcProfile << kNtcCsv << 2 << none
            << "\"pt100\" is a resistance thermometer: use rtd --type pt100; the profile's "
               "thermistors: ntc1";
        QTest::newRow("ntc --type without thermistor tables")
            << "--port 3 ntc 25 --type lot7"
            << QByteArray("[sensors.lot7]\nr0 = 100.5\na = 3.9083e-3\nb = -5.775e-7\n") << none << 2
            << none << "and it has none";
        QTest::newRow("--type is for sensors")
            << "--port 3 set 100 --type pt100" << kNtcProfile << kNtcCsv << 2 << none
            << "--type names the sensor of rtd and ntc";
        QTest::newRow("rows inline in a sweep")
            << "--port 3 sweep 0 100 --step 25 --dwell 10ms --rtd pt100t"
            << QByteArray(
                   "[sensors.pt100t]\nkind = \"rtd\"\nrows = [[0, 100], [50, 119.40], "
                   "[100, 138.51]]\n")
            << none << 0 << QByteArray("00100.0\r00109.7\r00119.4\r00129.0\r00138.5\r")
            << "00129.0";
        QTest::newRow("outside the table")
            << "--port 3 ntc 130 --type ntc1" << kNtcProfile << kNtcCsv << 2 << none
            << "ntc1 at 130 °C: outside the sensor's range -40 to 125 °C";
        QTest::newRow("a broken table sends nothing")
            << "--port 3 rtd 25 --type ntc1" << kNtcProfile
            << QByteArray(kNtcCsv).replace("20;12500", "20;21500") << 2 << none
            << "com3.toml:3: sensors.ntc1.table: |ntc1.csv:7: resistance 21500 Ω does not fall "
               "from 19940 Ω|; nothing is sent to this port";
        QTest::newRow("an unknown thermistor lists the profile's")
            << "--port 3 ntc 25 --type ntc2" << kNtcProfile << kNtcCsv << 2 << none
            << "no thermistor \"ntc2\"; the profile's thermistors: ntc1";
        QTest::newRow("an unknown thermometer lists those rtd takes")
            << "--port 3 rtd 25 --type pt100b"
            << kNtcProfile + "[sensors.lot7]\nr0 = 100.5\na = 3.9083e-3\nb = -5.775e-7\n"
            << kNtcCsv << 2 << none
            << "unknown sensor type \"pt100b\": use pt100, pt500, pt1000, ni1000 or lot7\n";
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
        QVERIFY(rig_->writeBox("com3.toml", profile));
        if (!csv.isNull()) QVERIFY(rig_->writeBox("ntc1.csv", csv));
        expectRun(args.split(' '), status, sent, printed);
    }

    // The first change counts from what the box was last sent, and so does
    // the final value: a run stopped before its first point ends with it.
    void firstChangeCountsFromTheLastCommand() {
        QVERIFY(rig_->writeBox("com3.toml", kLimits));
        const auto run = [&](const QStringList &args) {
            return rig_->run(QStringList{"--port", "3"} + args);
        };
        const auto said = [&](const char *text) { return rig_->output().contains(text); };
        QCOMPARE(run({"set", "1000"}), std::optional<int>(0));
        QCOMPARE(run({"set", "1600"}), std::optional<int>(2));
        QVERIFY(said("a change of 600.0 Ω from 1000.0 Ω"));
        QCOMPARE(run({"set", "1500"}), std::optional<int>(0));
        QCOMPARE(run({"set", "1100", "--final", "950"}), std::optional<int>(2));
        QVERIFY(
            said("--final 00950.0 cannot follow the device's last command, where a run "
                 "stopped before its first point ends: a change of 550.0 Ω from 1500.0 Ω"));
        QCOMPARE(rig_->sent(), QByteArray("01000.0\r01500.0\r"));
    }

    // The lead offset said on the line leaves the log's columns as they are.
    void leadOffsetLeavesTheLogAlone() {
        QVERIFY(rig_->writeBox("com3.toml", kLimits));
        QCOMPARE(rig_->run({"--port", "3", "--log", "run.csv", "rtd", "0"}), std::optional<int>(0));
        const QList<QByteArray> log = zz::test::fileBytes(rig_->herePath("run.csv")).split('\n');
        QCOMPARE(log.size(), 3);
        QCOMPARE(log[0], QByteArray("time,command,ohms,celsius"));
        QVERIFY2(log[1].endsWith(",00099.7,99.65,0"), log[1].constData());
    }

    // profile show prints TOML that reads back as the profile it shows:
    // strings escaped whatever they hold, numbers to their last digit.
    void showReadsBack_data() {
        QTest::addColumn<QByteArray>("profile");
        QTest::newRow("quotes and backslashes")
            << QByteArray("name = \"Bench \\\"3\\\" C:\\\\box\\\\\"\nserial = 'A\\12\"'\n");
        QTest::newRow("control characters")
            << QByteArray("name = \"tab\\there\\u0001\\u007F\\r\"\nserial = \"line\\nbreak\"\n");
        QTest::newRow("a table and sensors")
            << "lead_offset = 0.3456\n" + table() + kSensors +
                   "[sensors.p2]\nr0 = 100.012\nalpha = 0.00385\ndelta = 1.4999\nbeta = 0.10863\n";
        QTest::newRow("limits between the box's steps")
            << QByteArray("[limits]\nmin = 0.04\nmax = 2000.04\nmax_change = 1e-1\n");
    }
    void showReadsBack() {
        QFETCH(QByteArray, profile);
        QVERIFY(rig_->writeBox("com3.toml", profile));
        QCOMPARE(rig_->run({"--port", "3", "profile", "show"}), std::optional<int>(0));
        const std::string shown = rig_->output().toStdString();
        const auto read = zz::profile::readProfile(profile.toStdString(), "com3.toml");
        const auto again = zz::profile::readProfile(shown, "shown.toml");
        QVERIFY2(read, read.error().c_str());
        QVERIFY2(again, (again.error() + "\n" + shown).c_str());
        const zz::profile::Profile &a = read.value(), &b = again.value();
        QCOMPARE(b.serial, a.serial);
        QCOMPARE(b.name, a.name);
        QCOMPARE(b.leadOffsetOhms, a.leadOffsetOhms);
        QCOMPARE(b.limits.minOhms, a.limits.minOhms);
        QCOMPARE(b.limits.maxOhms, a.limits.maxOhms);
        QCOMPARE(b.limits.maxChangeOhms, a.limits.maxChangeOhms);
        QCOMPARE(b.table.has_value(), a.table.has_value());
        if (a.table) {
            QCOMPARE(b.table->zeroOhms, a.table->zeroOhms);
            QCOMPARE(b.table->measured, a.table->measured);
            QCOMPARE(b.table->due, a.table->due);
            QVERIFY(b.table->steps == a.table->steps);
        }
        QCOMPARE(b.sensors.size(), a.sensors.size());
        for (std::size_t i = 0; i < a.sensors.size(); ++i) {
            QCOMPARE(zz::box::userSensorName(b.sensors[i]), zz::box::userSensorName(a.sensors[i]));
            if (const auto *pa = std::get_if<zz::box::PlatinumSensor>(&a.sensors[i])) {
                const auto *pb = std::get_if<zz::box::PlatinumSensor>(&b.sensors[i]);
                QVERIFY(pb && pb->r0 == pa->r0 && pb->k.a == pa->k.a && pb->k.b == pa->k.b &&
                        pb->k.c == pa->k.c);
                continue;
            }
            const auto &ta = std::get<zz::box::TableSensor>(a.sensors[i]);
            const auto *tb = std::get_if<zz::box::TableSensor>(&b.sensors[i]);
            QVERIFY(tb && tb->kind == ta.kind && tb->rows.size() == ta.rows.size());
            for (std::size_t r = 0; r < ta.rows.size(); ++r)
                QVERIFY(tb->rows[r].celsius == ta.rows[r].celsius &&
                        tb->rows[r].ohms == ta.rows[r].ohms);
        }
    }
};

QTEST_GUILESS_MAIN(tst_CtlProfile)
#include "tst_ctl_profile.moc"
