// Sensors' tables in a box's profile: the CSV forms read and the hostile
// ones refused with file, line and reason, and the profile naming a table
// file beside it or giving its rows inline, refused whole when a table is.

#include "box/sensor.h"
#include "profile/profile_file.h"
#include "profile/profile_reader.h"
#include "profile/sensor_table_csv.h"

#include <QtTest>

#include <fstream>

using namespace zz::profile;
namespace box = zz::box;

namespace {

bool writeFile(const std::string &path, const std::string &text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    return bool(file);
}

}  // namespace

class tst_SensorTable : public QObject {
    Q_OBJECT

private slots:
    // `rows` "t:R t:R": what is read; empty: refused with `refusal`.
    void csv_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("rtd");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("plain") << QByteArray("-40,336500\n25,10000\n125,334.8\n") << false
                               << "-40:336500 25:10000 125:334.8"
                               << "";
        QTest::newRow("header, comments, blanks, CRLF")
            << QByteArray(
                   "# 10k B3950, datasheet p. 4\r\nT (°C), R (Ω)\r\n\r\n  -40 , 336.5e3 "
                   "# cold end\r\n25,\t1E4\r\n")
            << false << "-40:336500 25:10000"
            << "";
        QTest::newRow("semicolons, a spreadsheet's mark")
            << QByteArray("\xEF\xBB\xBFtemp;ohm\n0;100.00\n100;138.51\n") << true
            << "0:100 100:138.51"
            << "";
        QTest::newRow("one row") << QByteArray("t,R\n25,10000\n") << false << ""
                                 << "ntc1.csv:2: 1 row: a table needs two rows at least";
        QTest::newRow("unsorted") << QByteArray("0,32730\n25,10000\n# gap\n10,19940\n") << false
                                  << ""
                                  << "ntc1.csv:4: temperature 10 °C is not above 25 °C of the "
                                     "row before";
        QTest::newRow("not monotone")
            << QByteArray("0,32730\n10,19940\n20,21000\n") << false << ""
            << "ntc1.csv:3: resistance 21000 Ω does not fall from 19940 Ω";
        QTest::newRow("an RTD falling") << QByteArray("0,100\n50,99\n") << true << ""
                                        << "ntc1.csv:2: resistance 99 Ω does not rise";
        QTest::newRow("text in a number") << QByteArray("t,R\n0,32730\n10,19.94k\n") << false << ""
                                          << "ntc1.csv:3: \"19.94k\" is not a number";
        QTest::newRow("decimal comma") << QByteArray("0;32730,5\n10;19940\n") << false << ""
                                       << "ntc1.csv:1: \"32730,5\" is not a number ('.' is the "
                                          "decimal point)";
        QTest::newRow("three columns") << QByteArray("0,32730,1%\n") << false << ""
                                       << "ntc1.csv:1: 3 columns; a row is a temperature";
        QTest::newRow("not UTF-8") << QByteArray("t,R\n0,32730\n10,\xB0\x31\n") << false << ""
                                   << "ntc1.csv:3: not UTF-8 text";
        QTest::newRow("a control character") << QByteArray(
                                                    "0,32730\n10,1994\x00"
                                                    "0\n",
                                                    16)
                                             << false << ""
                                             << "ntc1.csv:2: a control character";
        QTest::newRow("resistances in kilohms")
            << QByteArray("T [°C]; R [kΩ]\n0;32.73\n10;19.94\n") << false << ""
            << "ntc1.csv:1: the header gives kΩ or MΩ";
    }
    void csv() {
        QFETCH(QByteArray, text);
        QFETCH(bool, rtd);
        QFETCH(QString, rows);
        QFETCH(QString, refusal);
        const auto read = readSensorTable(text.toStdString(), "ntc1.csv",
                                          rtd ? box::TableKind::Rtd : box::TableKind::Ntc);
        if (!refusal.isEmpty()) {
            QVERIFY(!read);
            QVERIFY2(QString::fromStdString(read.error()).startsWith(refusal),
                     read.error().c_str());
            return;
        }
        QVERIFY2(read, read.error().c_str());
        QStringList got;
        for (const box::TableRow &row : read.value())
            got << QString::number(row.celsius) + ":" + QString::number(row.ohms);
        QCOMPARE(got.join(' '), rows);
    }

    // boxes/com3.toml beside boxes/ntc1.csv (and others as a row names
    // them); `refusal` empty: read, and ntc1 presents `ohms` at 25 °C.
    void profiles_data() {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<double>("ohms");
        QTest::addColumn<QString>("refusal");
        const QByteArray table = "t,R\n0,32730\n25,10000\n50,3588\n";
        QTest::newRow("a table beside the profile")
            << QByteArray("[sensors.ntc1]\nkind = \"ntc\"\ntable = \"ntc1.csv\"\n") << table
            << 10000.0 << "";
        QTest::newRow("an absolute path")
            << QByteArray("[sensors.ntc1]\nkind = \"ntc\"\ntable = \"{dir}/ntc1.csv\"\n") << table
            << 10000.0 << "";
        QTest::newRow("rows inline")
            << QByteArray(
                   "[sensors.ntc1]\nkind = \"ntc\"\nrows = [\n  [0, 32.73e3],\n  [25, "
                   "10000],\n]\n")
            << QByteArray() << 10000.0 << "";
        QTest::newRow("no such table")
            << QByteArray("name = \"x\"\n[sensors.ntc1]\nkind = \"ntc\"\ntable = \"ntc9.csv\"\n")
            << table << 0.0 << "com3.toml:4: sensors.ntc1.table: {dir}/ntc9.csv: no such file";
        QTest::newRow("a broken table refuses the profile")
            << QByteArray("[sensors.ntc1]\nkind = \"ntc\"\ntable = \"ntc1.csv\"\n")
            << QByteArray("0,32730\n25,10000\n50,13588\n") << 0.0
            << "com3.toml:3: sensors.ntc1.table: {dir}/ntc1.csv:3: resistance 13588 Ω does not "
               "fall";
        QTest::newRow("a table over 1 MB")
            << QByteArray("[sensors.ntc1]\nkind = \"ntc\"\ntable = \"ntc1.csv\"\n")
            << "0,32730\n" + QByteArray(10 * 1024 * 1024, '#') << 0.0
            << "com3.toml:3: sensors.ntc1.table: {dir}/ntc1.csv:1: the file is larger than 1 MB";
        QTest::newRow("an inline row out of order")
            << QByteArray(
                   "[sensors.ntc1]\nkind = \"ntc\"\nrows = [\n  [0, 32730],\n  [25, "
                   "10000],\n  [20, 12500],\n]\n")
            << QByteArray() << 0.0
            << "com3.toml:6: sensors.ntc1.rows: temperature 20 °C is not above 25 °C";
        QTest::newRow("an inline row of one number")
            << QByteArray("[sensors.ntc1]\nkind = \"rtd\"\nrows = [[0, 100], [50]]\n")
            << QByteArray() << 0.0
            << "com3.toml:3: sensors.ntc1.rows: a row is [temperature in °C, ohms]";
        QTest::newRow("no kind") << QByteArray("[sensors.ntc1]\ntable = \"ntc1.csv\"\n") << table
                                 << 0.0
                                 << "com3.toml:1: sensors.ntc1.kind must be \"ntc\" or \"rtd\"";
        QTest::newRow("two names in different case")
            << QByteArray(
                   "[sensors.ntc1]\nkind = \"ntc\"\ntable = \"ntc1.csv\"\n[sensors.NTC1]\n"
                   "kind = \"ntc\"\ntable = \"ntc1.csv\"\n")
            << table << 0.0 << "com3.toml:1: sensors.ntc1: names the same sensor as sensors.NTC1";
    }
    void profiles() {
        QFETCH(QByteArray, profile);
        QFETCH(QByteArray, csv);
        QFETCH(double, ohms);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString boxes = dir.filePath("boxes");
        QVERIFY(QDir().mkpath(boxes));
        const std::string path = (boxes + "/com3.toml").toStdString();
        profile.replace("{dir}", boxes.toUtf8());
        QVERIFY(writeFile(path, profile.toStdString()));
        if (!csv.isNull())
            QVERIFY(writeFile((boxes + "/ntc1.csv").toStdString(), csv.toStdString()));
        const auto loaded = loadProfile(path);
        if (!refusal.isEmpty()) {
            QVERIFY(!loaded);
            const QString expected = boxes + "/" + refusal.replace("{dir}", boxes);
            QVERIFY2(QString::fromStdString(loaded.error()).startsWith(expected),
                     loaded.error().c_str());
            return;
        }
        QVERIFY2(loaded, loaded.error().c_str());
        const auto sensor = box::sensorNamed("NTC1", loaded.value()->sensors);
        QVERIFY2(sensor, sensor.error().c_str());
        QCOMPARE(box::sensorResistance(sensor.value(), 25).value(), ohms);
    }

    // Read from text alone there is no folder to find a table in.
    void aTableNeedsTheProfilesFile() {
        const auto read = readProfile("[sensors.n]\nkind = \"ntc\"\ntable = \"n.csv\"\n", "x.toml");
        QVERIFY(!read);
        QCOMPARE(read.error(),
                 std::string("x.toml:3: sensors.n.table: tables are read beside a profile's file "
                             "only"));
    }
};

QTEST_APPLESS_MAIN(tst_SensorTable)
#include "tst_sensor_table.moc"
