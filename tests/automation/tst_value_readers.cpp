// What people type for a resistance, a temperature or a duration, and what
// the box is sent for a resistance: read values, or refusals saying why.

#include "automation/duration_text.h"
#include "automation/resistance_text.h"
#include "automation/setpoint.h"
#include "automation/temperature_text.h"

#include <QtTest>

#include <cmath>

using namespace zz::automation;
using zz::Outcome;

namespace {

constexpr double kRefused = NAN;

// A read value matches `expected`, or the refusal contains `why`.
template <typename T>
void checkOutcome(const Outcome<T> &read, double value, double expected, const QString &why) {
    if (std::isnan(expected)) {
        QVERIFY2(!read.ok(), qPrintable(QString("read as %1").arg(value)));
        QVERIFY2(QString::fromStdString(read.error()).contains(why), read.error().c_str());
    } else {
        QVERIFY2(read.ok(), read.error().c_str());
        QVERIFY2(std::fabs(value - expected) <= 1e-9 * std::max(1.0, std::fabs(expected)),
                 qPrintable(QString("%1 instead of %2").arg(value, 0, 'g', 17).arg(expected)));
    }
}

}  // namespace

class tst_ValueReaders : public QObject {
    Q_OBJECT

private slots:
    void resistances_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("ohms");
        QTest::addColumn<QString>("why");
        const struct {
            const char *text;
            double ohms;
            const char *why;
        } rows[] = {
            {"1234.5", 1234.5, ""},
            {"1.5k", 1500, ""},
            {"1.5 kΩ", 1500, ""},
            {"1.5kohm", 1500, ""},
            {"4k7", 4700, ""},
            {"1k2", 1200, ""},
            {"0R1", 0.1, ""},
            {"R47", 0.47, ""},
            {"100R", 100, ""},
            {"250m", 0.25, ""},
            {"0.05M", 50000, ""},
            {"2M2", 2.2e6, ""},
            {"1L5", 1.5e-3, ""},
            {"10 Ω", 10, ""},
            {"10Ω", 10, ""},
            {" 47 ohms ", 47, ""},
            {"2.2 MOhm", 2.2e6, ""},
            {"3mohm", 3e-3, ""},
            {"1e3", 1000, ""},
            {"+5", 5, ""},
            {".5", 0.5, ""},
            {"-0", 0, ""},
            {"-5", kRefused, "negative"},
            {"-1k", kRefused, "negative"},
            {"", kRefused, "no resistance"},
            {"abc", kRefused, "cannot read \"abc\""},
            {"4k7k", kRefused, "cannot read"},
            {"k5", kRefused, "cannot read"},
            {"1.5K5", kRefused, "cannot read"},
            {"5 mV", kRefused, "cannot read"},
            {"1R5R", kRefused, "cannot read"},
            {"inf", kRefused, "cannot read"},
            {"nan", kRefused, "cannot read"},
            {"1e999", kRefused, "cannot read"},
            {"1e-999", kRefused, "cannot read"},  // too small for a double, not zero
            {"1 e3", kRefused, "cannot read"},    // no blank before the exponent here
            {"0x10", kRefused, "cannot read"},
            {"1.5.2", kRefused, "cannot read"},
            {"5L", 5e-3, ""},
            {"5 L", kRefused, "cannot read"} /* L is a code letter, not a prefix */,
        };
        for (const auto &row : rows)
            QTest::newRow(row.text) << QString::fromUtf8(row.text) << row.ohms << QString(row.why);
    }
    void resistances() {
        QFETCH(QString, text);
        QFETCH(double, ohms);
        QFETCH(QString, why);
        const auto read = readResistance(text.toStdString());
        checkOutcome(read, read ? read.value() : 0.0, ohms, why);
    }

    void temperatures_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("celsius");
        QTest::addColumn<QString>("why");
        QTest::newRow("bare") << "25" << 25.0 << "";
        QTest::newRow("C") << "25C" << 25.0 << "";
        QTest::newRow("degree C") << "-40 °C" << -40.0 << "";
        QTest::newRow("F") << "77F" << 25.0 << "";
        QTest::newRow("K") << "298.15K" << 25.0 << "";
        QTest::newRow("absolute zero") << "-459.67F" << -273.15 << "";
        QTest::newRow("below absolute zero") << "-274" << kRefused << "below absolute zero";
        QTest::newRow("negative kelvin") << "-1K" << kRefused << "below absolute zero";
        QTest::newRow("degree K") << "300°K" << kRefused << "cannot read";
        QTest::newRow("lower-case") << "25c" << kRefused << "cannot read";
        QTest::newRow("empty") << "" << kRefused << "cannot read";
    }
    void temperatures() {
        QFETCH(QString, text);
        QFETCH(double, celsius);
        QFETCH(QString, why);
        const auto read = readTemperature(text.toStdString());
        checkOutcome(read, read ? read.value() : 0.0, celsius, why);
    }

    void durations_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("why");
        QTest::newRow("ms") << "500ms" << 0.5 << "";
        QTest::newRow("s") << "2s" << 2.0 << "";
        QTest::newRow("min") << "1.5min" << 90.0 << "";
        QTest::newRow("h") << "1 h" << 3600.0 << "";
        QTest::newRow("us") << "250us" << 250e-6 << "";
        QTest::newRow("bare seconds") << "0.25" << 0.25 << "";
        QTest::newRow("zero") << "0" << 0.0 << "";
        QTest::newRow("negative") << "-1s" << kRefused << "negative";
        QTest::newRow("beyond a week") << "170h" << kRefused << "longer than a week";
        QTest::newRow("huge") << "1e300min" << kRefused << "longer than a week";
        QTest::newRow("unknown unit") << "5 days" << kRefused << "cannot read";
    }
    void durations() {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QFETCH(QString, why);
        const auto read = readDuration(text.toStdString());
        checkOutcome(read, read ? read.value().count() / 1e9 : 0.0, seconds, why);
    }

    // The panel's rounding: on the decimal digits, halves away from zero,
    // limits tested on the rounded text.
    void commands_data() {
        QTest::addColumn<double>("ohms");
        QTest::addColumn<QString>("command");
        QTest::newRow("plain") << 1234.5 << "01234.5";
        QTest::newRow("decimal half up") << 0.25 << "00000.3";
        QTest::newRow("binary below half") << 1.15 << "00001.2";
        QTest::newRow("tiny") << 0.04 << "00000.0";
        QTest::newRow("limit") << 99999.94 << "99999.9";
        QTest::newRow("rounds above limit") << 99999.95 << "";
        QTest::newRow("far above") << 2.2e6 << "";
        QTest::newRow("negative") << -0.01 << "";
    }
    void commands() {
        QFETCH(double, ohms);
        QFETCH(QString, command);
        const auto point = setpointForOhms(ohms);
        QCOMPARE(point ? QString::fromStdString(point.value().command) : QString(), command);
    }
};

QTEST_APPLESS_MAIN(tst_ValueReaders)
#include "tst_value_readers.moc"
