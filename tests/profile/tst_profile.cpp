// The profile of a box: what its reader refuses and where, the limits'
// verdicts, and the true-ohms search against every digit combination.

#include "box/sensor.h"
#include "profile/limits.h"
#include "profile/profile_file.h"
#include "profile/profile_reader.h"
#include "profile/true_ohms.h"

#include <QtTest>

#include <algorithm>
#include <fstream>
#include <random>

using namespace zz::profile;

namespace {

const std::string kSteps = "[0.1,0.2,0.3,0.4,0.5,0.6,0.7,0.8,0.9]";
std::string decade(const char *key, double unit) {
    std::string text = std::string(key) + " = [";
    for (int k = 1; k <= 9; ++k) text += (k > 1 ? "," : "") + std::to_string(k * unit);
    return text + "]\n";
}
std::string fullTable() {
    return "[table]\nzero = 0.01\nmeasured = 2026-01-10\ndue = 2027-01-10\n" +
           decade("decade_0_1", 0.1) + decade("decade_1", 1) + decade("decade_10", 10) +
           decade("decade_100", 100) + decade("decade_1000", 1000) + decade("decade_10000", 10000);
}

}  // namespace

class tst_Profile : public QObject {
    Q_OBJECT

private slots:
    void readsAWholeProfile() {
        const std::string text =
            "serial = \"A12345\"\nname = \"Bench 3\"\nlead_offset = 0.35\n"
            "[limits]\nmin = 10\nmax = 2000.0\nmax_change = 100\n" +
            fullTable();
        const auto profile = readProfile(text, "com3.toml");
        QVERIFY2(profile.ok(), profile.error().c_str());
        const Profile &p = profile.value();
        QCOMPARE(p.serial, std::string("A12345"));
        QCOMPARE(p.limits.minOhms, 10.0);
        QCOMPARE(p.limits.maxOhms, 2000.0);
        QCOMPARE(*p.limits.maxChangeOhms, 100.0);
        QCOMPARE(p.leadOffsetOhms, 0.35);
        QVERIFY(p.table);
        QCOMPARE(p.table->due, std::string("2027-01-10"));
        // A date in quotes, as a spreadsheet may write it, reads the same.
        std::string quoted = text;
        quoted.replace(quoted.find("due = 2027-01-10"), 16, "due = \"2028-02-29\"");
        QCOMPARE(readProfile(quoted, "com3.toml").value().table->due, std::string("2028-02-29"));
        QCOMPARE(p.table->steps[5][8], 90000.0);
    }

    void refusesWithLineAndReason_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("wrong type") << QByteArray("name = \"x\"\n[limits]\nmax = \"2000\"\n")
                                    << "com3.toml:3: limits.max must be a number of ohms";
        QTest::newRow("negative limit") << QByteArray("[limits]\nmin = -5\n")
                                        << "com3.toml:2: limits.min -5.0 must not be negative";
        QTest::newRow("min above max")
            << QByteArray("[limits]\nmax = 2000\nmin = 3000\n")
            << "com3.toml:3: limits.min 3000.0 is above limits.max 2000.0";
        QTest::newRow("max beyond the box")
            << QByteArray("[limits]\nmax = 100000\n")
            << "com3.toml:2: limits.max 100000.0 is above what the box has, 99999.9";
        QTest::newRow("misspelt key") << QByteArray("[limits]\nmax_chnage = 5\n")
                                      << "com3.toml:2: unknown key limits.max_chnage";
        QTest::newRow("not UTF-8")
            << QByteArray("name = \"a\"\nserial = \"\xC3\x28\"\n") << "com3.toml:2: not UTF-8 text";
        QTest::newRow("overlong UTF-8")
            << QByteArray("name = \"\xC0\xAF\"\n") << "com3.toml:1: not UTF-8 text";
        QTest::newRow("TOML syntax") << QByteArray("\n\nname = \n") << "com3.toml:3: ";
        QTest::newRow("an integer no double holds")
            << QByteArray("lead_offset = 9007199254740993\n")
            << "com3.toml:1: lead_offset must be a finite number of ohms";
        QTest::newRow("zero change") << QByteArray("[limits]\nmax_change = 0\n")
                                     << "com3.toml:2: limits.max_change must be greater than zero";
        std::string eight = fullTable();
        const std::string nine = decade("decade_100", 100);
        eight.replace(eight.find(nine), nine.size(),
                      "decade_100 = [100,200,300,400,500,600,700,800]\n");
        QTest::newRow("a table with 8 steps")
            << QByteArray::fromStdString("\n" + eight)
            << "com3.toml:9: table.decade_100 has 8 steps; a decade has nine (steps 1 to 9)";
        QTest::newRow("sensor named as a built-in")
            << QByteArray("[sensors.PT100]\nr0 = 100\na = 3.9e-3\nb = 0\n")
            << "com3.toml:1: sensors.PT100: the name of a built-in sensor";
        QTest::newRow("sensor in both forms")
            << QByteArray("[sensors.x]\nr0 = 100\na = 3.9e-3\nb = 0\nalpha = 1\n")
            << "com3.toml:1: sensors.x needs a, b and c, or alpha, delta and beta";
        QTest::newRow("sensor without r0")
            << QByteArray("[sensors.x]\na = 3.9e-3\nb = 0\n") << "com3.toml:1: sensors.x needs r0";
        QTest::newRow("limits holding no step")
            << QByteArray("[limits]\nmin = 10.04\nmax = 10.06\n")
            << "com3.toml:2: limits.min 10.04 and limits.max 10.06 hold no value";
        QTest::newRow("a largest change below one step")
            << QByteArray("[limits]\nmax_change = 0.05\n")
            << "com3.toml:2: limits.max_change 0.05 is less than one step";
        QTest::newRow("a coefficient not finite")
            << QByteArray("[sensors.x]\nr0 = 100\na = 3.9e-3\nb = nan\n")
            << "com3.toml:4: sensors.x.b must be a finite number";
        QTest::newRow("an infinite row")
            << QByteArray("[sensors.x]\nkind = \"rtd\"\nrows = [[0, 100], [10, inf]]\n")
            << "com3.toml:3: sensors.x.rows: a row is";
        QTest::newRow("sensor named as the thermistor")
            << QByteArray("[sensors.Ntc]\nr0 = 100\na = 3.9e-3\nb = 0\n")
            << "com3.toml:1: sensors.Ntc: the name of a built-in sensor";
        for (const char *none : {"\"2027-02-30\"", "\"2027-13-01\"", "\"2100-02-29\"",
                                 "\"2027-1-10\"", "\"2027-01-10T10:00:00\""})
            QTest::newRow(none) << QByteArray::fromStdString(
                                       std::string(fullTable())
                                           .replace(fullTable().find("due = 2027-01-10"), 16,
                                                    std::string("due = ") + none))
                                << "com3.toml:4: table.due must be a date such as 2027-01-10";
        std::string missing = fullTable();
        missing.erase(missing.find("decade_10000"));
        QTest::newRow("a decade missing")
            << QByteArray::fromStdString(missing) << "com3.toml:1: table has no table.decade_10000";
    }
    void refusesWithLineAndReason() {
        QFETCH(QByteArray, text);
        QFETCH(QString, refusal);
        const auto profile = readProfile(text.toStdString(), "com3.toml");
        QVERIFY(!profile.ok());
        QVERIFY2(QString::fromStdString(profile.error()).startsWith(refusal),
                 profile.error().c_str());
    }

    // A user's platinum sensor given the standard's own coefficients, in
    // either form, presents what the catalogue's Pt100 (IEC 60751) does.
    void userSensorWithTheStandardsCoefficients_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("A, B, C") << QByteArray(
            "[sensors.lot7]\nr0 = 100\na = 3.9083e-3\nb = -5.775e-7\nc = -4.183e-12\n");
        QTest::newRow("alpha, delta, beta") << QByteArray(
            "[sensors.lot7]\nr0 = 100\nalpha = 0.00385055\ndelta = 1.4999\nbeta = 0.10863\n");
    }
    void userSensorWithTheStandardsCoefficients() {
        QFETCH(QByteArray, text);
        const auto profile = readProfile(text.toStdString(), "com3.toml");
        QVERIFY2(profile.ok(), profile.error().c_str());
        QCOMPARE(profile.value().sensors.size(), std::size_t(1));
        const zz::box::Sensor user = zz::box::toSensor(profile.value().sensors[0]);
        const auto pt100 = zz::box::sensorNamed("pt100");
        for (double celsius : {-200.0, -100.0, -0.5, 0.0, 100.0, 420.0, 850.0}) {
            const double ours = zz::box::sensorResistance(user, celsius).value();
            // α and δ as published round B: 3 mΩ apart at 850 °C.
            QVERIFY2(
                std::fabs(ours - zz::box::sensorResistance(pt100.value(), celsius).value()) < 5e-3,
                std::to_string(celsius).c_str());
        }
        QVERIFY(!zz::box::sensorResistance(user, 851).ok());
        QCOMPARE(zz::box::sensorName(user), std::string("lot7"));
    }

    void fileLargerThanOneMegabyteIsRefused() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("com3.toml").toStdString();
        {
            std::ofstream file(path);
            file << "name = \"x\"\n" << std::string(10 * 1024 * 1024, '#') << "\n";
        }
        const auto loaded = loadProfile(path);
        QVERIFY(!loaded.ok());
        QCOMPARE(loaded.error(),
                 path + ":1: the file is larger than 1 MB; a profile is a few lines");
        QVERIFY(loadProfile(dir.filePath("absent.toml").toStdString()).ok());
        QVERIFY(!loadProfile(dir.filePath("absent.toml").toStdString()).value());
    }

    void deviceNamesStayInTheFolder_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("name");
        QTest::newRow("tty") << "/dev/ttyUSB0"
                             << "dev_ttyUSB0.toml";
        QTest::newRow("stable") << "/dev/serial/by-id/usb-FTDI_A6-if00:0"
                                << "dev_serial_by-id_usb-FTDI_A6-if00_0.toml";
        QTest::newRow("climbing") << "../../x"
                                  << "x.toml";
        QTest::newRow("dots only") << ".."
                                   << "device.toml";
        QTest::newRow("a Windows device") << "\\\\.\\COM3"
                                          << "COM3-box.toml";
        QTest::newRow("a Windows device, any case") << "nul.x"
                                                    << "nul-box.x.toml";
    }
    void deviceNamesStayInTheFolder() {
        QFETCH(QString, device);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(deviceProfileName(device.toStdString())), name);
    }

    void limits_data() {
        QTest::addColumn<double>("ohms");
        QTest::addColumn<double>("last");  // negative: none known
        QTest::addColumn<QString>("refusal");
        QTest::newRow("inside") << 1500.0 << -1.0 << "";
        QTest::newRow("at max") << 2000.04 << -1.0 << "";
        QTest::newRow("above") << 2000.1 << -1.0
                               << "above the limit 2000.0 Ω of this box's profile";
        QTest::newRow("below") << 9.9 << -1.0 << "below the limit 10.0 Ω of this box's profile";
        QTest::newRow("change at limit") << 1100.0 << 1000.0 << "";
        QTest::newRow("change too large") << 1100.1 << 1000.0
                                          << "a change of 100.1 Ω from 1000.0 Ω, above the limit "
                                             "100.0 Ω per command of this box's profile";
    }
    void limits() {
        QFETCH(double, ohms);
        QFETCH(double, last);
        QFETCH(QString, refusal);
        const Limits limits{10.0, 2000.0, 100.0};
        const auto status =
            checkValue(limits, ohms, last < 0 ? std::nullopt : std::optional<double>(last));
        QCOMPARE(QString::fromStdString(status.text()), refusal);
    }

    // A carry from 00999.9 sends 01999.9? No: it sends one command per decade;
    // each must lie inside, else the action may send only its final value.
    void sequenceNamesTheFirstCommandOutside() {
        const Limits limits{0.0, 1000.0, std::nullopt};
        QVERIFY(checkSequence(limits, {999.9, 990.0, 900.0, 1000.0}).ok());
        QCOMPARE(checkSequence(limits, {999.9, 1990.0, 1000.0}).text(),
                 std::string("command 2 of 3 (1990.0 Ω): above the limit 1000.0 Ω of this box's "
                             "profile"));
        const Limits stepped{0.0, 99999.9, 50.0};
        QCOMPARE(checkSequence(stepped, {1040.0, 1100.0}, 1000.0).text(),
                 std::string("command 2 of 2 (1100.0 Ω): a change of 60.0 Ω from 1040.0 Ω, above "
                             "the limit 50.0 Ω per command of this box's profile"));
    }

    // Every one of the 10^6 digit combinations, sorted by what it presents:
    // the nearest to any target is found by bisection.
    void trueSearchMatchesBruteForce() {
        std::mt19937 random(6175);
        std::uniform_real_distribution<double> error(-0.004, 0.004);
        std::uniform_real_distribution<double> targets(0.0, 100010.0);
        for (int round = 0; round < 4; ++round) {
            CorrectionTable table = nominalTable();
            table.zeroOhms = 0.02 + error(random);
            for (auto &steps : table.steps)
                for (double &step : steps) step *= 1.0 + error(random);
            table.steps[0][4] += 0.3;  // a worn contact: 0.5 Ω step reads long

            std::vector<double> sums;
            sums.reserve(1000000);
            for (int n = 0; n < 1000000; ++n) {
                std::array<int, 6> d{};
                for (int i = 5, m = n; i >= 0; --i, m /= 10) d[i] = m % 10;
                sums.push_back(table.trueOhms(d));
            }
            std::sort(sums.begin(), sums.end());
            for (int i = 0; i < 300; ++i) {
                const double target = i < 10 ? i * 0.05 : targets(random);
                const auto it = std::lower_bound(sums.begin(), sums.end(), target);
                double best = 1e300;
                if (it != sums.end()) best = *it - target;
                if (it != sums.begin()) best = std::min(best, target - *(it - 1));
                const TrueSetting found = nearestTrueSetting(table, target);
                QVERIFY2(std::fabs(std::fabs(found.trueOhms - target) - best) < 1e-9,
                         (std::to_string(target) + " gave " + found.command).c_str());
            }
        }
    }

    // The 1 kΩ step reads long: 1000 Ω true is nearer with 00999.9 than 01000.0.
    void describesBothValues() {
        CorrectionTable table = nominalTable();
        table.steps[4][0] = 1000.33;
        table.steps[3][8] = 899.93;
        const TrueSetting setting = nearestTrueSetting(table, 1000.0);
        QCOMPARE(describeTrueSetting(setting), std::string("00999.9 → 999.83 Ω true"));
    }
};

QTEST_APPLESS_MAIN(tst_Profile)
#include "tst_profile.moc"
