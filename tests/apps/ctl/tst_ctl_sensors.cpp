// 6175ZIZ-ctl with a sensor given on the command line: a platinum one by
// its Callendar-Van Dusen coefficients, a table from a CSV file, and the
// refusals of options that contradict each other. The real program on a
// pseudo-terminal behind a private port map; the exact bytes read.

#include "ctl_rig.h"

#include <QtTest>

namespace {

const QString kPt100 = "--r0 100 --cvd 3.9083e-3,-5.775e-7,-4.183e-12";

// A thermistor's datasheet rows as a spreadsheet exports them.
const QByteArray kNtcCsv = "T (°C);R (Ω)\n0;32730\n25;10000\n50;3588\n100;670.5\n";
const QByteArray kRtdCsv = "0,100\n50,119.4\n100,138.51\n";

}  // namespace

class tst_CtlSensors : public QObject {
    Q_OBJECT

    std::unique_ptr<zz::test::CtlRig> rig_;

private slots:
    void init() {
        rig_ = std::make_unique<zz::test::CtlRig>();
        QVERIFY(rig_->ok());
    }
    void cleanup() { rig_.reset(); }

    // `csv` becomes table.csv in the working folder (null: none); "|"
    // separates pieces of what is printed.
    void runs_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("printed");
        const QByteArray none;
        // The same bytes by the coefficients as by the built-in Pt100.
        const QByteArray pt100Sweep("00060.3\r00100.0\r00138.5\r00175.9\r00212.1\r");
        QTest::newRow("built-in pt100 in a sweep")
            << "sweep -100 300 --step 100 --dwell 10ms --rtd pt100" << none << 0 << pt100Sweep
            << "00212.1";
        QTest::newRow("--r0 and --cvd in a sweep")
            << "sweep -100 300 --step 100 --dwell 10ms " + kPt100 << none << 0 << pt100Sweep
            << "00212.1";
        QTest::newRow("built-in pt100 below zero")
            << "rtd -150" << none << 0 << QByteArray("00039.7\r") << "39.7232 Ω  -150 °C";
        QTest::newRow("--r0 and --cvd below zero, C acting")
            << "rtd -150 " + kPt100 << none << 0 << QByteArray("00039.7\r") << "39.7232 Ω  -150 °C";
        QTest::newRow("--cvd without C") << "rtd 100 --r0 1k --cvd 3.9083e-3,-5.775e-7" << none << 0
                                         << QByteArray("01385.1\r") << "1385.055 Ω  100 °C";
        QTest::newRow("a thermistor's table, its rows exactly")
            << "sweep 0 100 --step 25 --dwell 10ms --ntc --table table.csv" << kNtcCsv << 0
            << QByteArray("32730.0\r10000.0\r03588.0\r01460.4\r00670.5\r") << "00670.5  670.5 Ω";
        QTest::newRow("ntc by a table") << "ntc 25 --table table.csv" << kNtcCsv << 0
                                        << QByteArray("10000.0\r") << "10000 Ω  25 °C";
        QTest::newRow("rtd by a table") << "rtd 50 --table table.csv" << kRtdCsv << 0
                                        << QByteArray("00119.4\r") << "119.4 Ω  50 °C";
        QTest::newRow("outside the table")
            << "ntc 120 --table table.csv" << kNtcCsv << 2 << none
            << "table.csv at 120 °C: outside the sensor's range 0 to 100 °C";
        QTest::newRow("a bad table, by its file and line")
            << "ntc 25 --table table.csv" << QByteArray("0;32730\n25;41000\n") << 2 << none
            << "--table: table.csv:2: resistance 41000 Ω does not fall from 32730 Ω";
        QTest::newRow("a thermistor's rows are not a thermometer's")
            << "rtd 25 --table table.csv" << kNtcCsv << 2 << none
            << "table.csv:3: resistance 10000 Ω does not rise from 32730 Ω";
        QTest::newRow("no table file")
            << "rtd 25 --table none.csv" << none << 2 << none << "--table: none.csv: no such file";
        QTest::newRow("--type with --r0") << "rtd 0 --type pt100 " + kPt100 << none << 2 << none
                                          << "give one sensor: --type and --r0/--cvd each name one";
        QTest::newRow("--table with --r25 and --beta")
            << "ntc 25 --r25 10k --beta 3950 --table table.csv" << kNtcCsv << 2 << none
            << "give one sensor: --table and --r25/--beta each name one";
        QTest::newRow("--rtd with --table")
            << "sweep 0 10 --step 5 --rtd pt100 --table table.csv" << kRtdCsv << 2 << none
            << "give one sensor: --rtd and --table each name one";
        QTest::newRow("a platinum sensor for ntc")
            << "ntc 25 " + kPt100 << none << 2 << none
            << "give one sensor: a resistance thermometer or a thermistor";
        QTest::newRow("--r0 without --cvd") << "rtd 0 --r0 100" << none << 2 << none
                                            << "a platinum sensor needs --r0 R and --cvd A,B[,C]";
        // Not read as ohms: the coefficients alone make it a sensor's sweep.
        QTest::newRow("--cvd without --r0 in a sweep")
            << "sweep 0 100 --step 50 --dwell 10ms --cvd 3.9e-3,0" << none << 2 << none
            << "a platinum sensor needs --r0 R and --cvd A,B[,C]";
        QTest::newRow("--r0 of zero") << "rtd 0 --r0 0 --cvd 3.9e-3,0" << none << 2 << none
                                      << "--r0: its resistance at 0 °C must be above zero";
        QTest::newRow("--r0 beyond the box")
            << "rtd 0 --r0 200k --cvd 3.9e-3,0" << none << 2 << none << "at most 99999.9 Ω";
        QTest::newRow("A not above zero") << "rtd 0 --r0 100 --cvd -3.9e-3,0" << none << 2 << none
                                          << "--cvd: A must be above zero";
        QTest::newRow("A alone") << "rtd 0 --r0 100 --cvd 3.9e-3" << none << 2 << none
                                 << "--cvd: give A and B";
        QTest::newRow("four coefficients")
            << "rtd 0 --r0 100 --cvd 1,2,3,4" << none << 2 << none
            << "--cvd: cannot read \"1,2,3,4\" as the Callendar-Van Dusen coefficients A,B[,C]";
        QTest::newRow("not a number") << "rtd 0 --r0 100 --cvd 3.9e-3,x" << none << 2 << none
                                      << "--cvd: cannot read \"3.9e-3,x\"";
    }
    void runs() {
        QFETCH(QString, args);
        QFETCH(QByteArray, csv);
        QFETCH(int, status);
        QFETCH(QByteArray, sent);
        QFETCH(QString, printed);
        if (!csv.isNull()) QVERIFY(rig_->writeHere("table.csv", csv));
        QCOMPARE(rig_->run(QStringList{"--port", "3"} + args.split(' ')),
                 std::optional<int>(status));
        QCOMPARE(rig_->sent(), sent);
        QVERIFY2(rig_->printedAll(printed), qPrintable(rig_->output()));
    }
};

QTEST_GUILESS_MAIN(tst_CtlSensors)
#include "tst_ctl_sensors.moc"
