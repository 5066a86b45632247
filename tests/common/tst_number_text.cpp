#include <QtTest>
#include <climits>
#include <cmath>
#include <limits>

#include "common/decimal_text.h"
#include "common/number_text.h"

class tst_NumberText : public QObject {
    Q_OBJECT

private slots:
    void toInt16_data();
    void toInt16();
    void wholeNumberText_data();
    void wholeNumberText();
    void formatFixed_data();
    void formatFixed();
    void decimalText_data();
    void decimalText();
};

void tst_NumberText::toInt16_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");

    QTest::addRow("half down to even") << 2.5 << true << 2;
    QTest::addRow("half up to even") << 3.5 << true << 4;
    QTest::addRow("negative half to even") << -2.5 << true << -2;
    QTest::addRow("negative half away to even") << -3.5 << true << -4;
    QTest::addRow("zero point five") << 0.5 << true << 0;
    QTest::addRow("minus zero point five") << -0.5 << true << 0;
    QTest::addRow("just above half") << 2.5000000000000004 << true << 3;
    QTest::addRow("just below half") << 2.4999999999999996 << true << 2;
    QTest::addRow("negative below half") << -1.2 << true << -1;
    QTest::addRow("negative above half") << -1.7 << true << -2;
    QTest::addRow("max after rounding down") << 32767.4 << true << 32767;
    QTest::addRow("rounds to 32768") << 32767.5 << false << 0;
    QTest::addRow("32768") << 32768.0 << false << 0;
    QTest::addRow("min by even rounding") << -32768.5 << true << -32768;
    QTest::addRow("below min") << -32768.6 << false << 0;
    QTest::addRow("large") << 1e300 << false << 0;
    QTest::addRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false << 0;
    QTest::addRow("infinity") << std::numeric_limits<double>::infinity() << false << 0;
    QTest::addRow("minus infinity") << -std::numeric_limits<double>::infinity() << false << 0;
}

void tst_NumberText::toInt16() {
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(int, expected);

    const auto result = zz::common::toInt16(value);
    QCOMPARE(result.has_value(), fits);
    if (fits) QCOMPARE(int(*result), expected);
}

void tst_NumberText::wholeNumberText_data() {
    QTest::addColumn<qlonglong>("value");
    QTest::addColumn<QByteArray>("text");

    QTest::addRow("zero") << 0LL << QByteArray("0");
    QTest::addRow("positive") << 12LL << QByteArray("12");
    QTest::addRow("negative") << -4LL << QByteArray("-4");
    QTest::addRow("max") << LLONG_MAX << QByteArray("9223372036854775807");
    QTest::addRow("min") << LLONG_MIN << QByteArray("-9223372036854775808");
}

void tst_NumberText::wholeNumberText() {
    QFETCH(qlonglong, value);
    QFETCH(QByteArray, text);
    QCOMPARE(QByteArray::fromStdString(zz::common::wholeNumberText(value)), text);
}

void tst_NumberText::formatFixed_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("text");

    QTest::addRow("12.25") << 12.25 << QByteArray("00012.3");
    QTest::addRow("0.05") << 0.05 << QByteArray("00000.1");
    QTest::addRow("0.04") << 0.04 << QByteArray("00000.0");
    QTest::addRow("1234.5") << 1234.5 << QByteArray("01234.5");
    QTest::addRow("1234.56") << 1234.56 << QByteArray("01234.6");
    QTest::addRow("5") << 5.0 << QByteArray("00005.0");
    QTest::addRow("0") << 0.0 << QByteArray("00000.0");
    QTest::addRow("99999.9") << 99999.9 << QByteArray("99999.9");
    QTest::addRow("99999.94") << 99999.94 << QByteArray("99999.9");
    QTest::addRow("99999.95 gains a digit") << 99999.95 << QByteArray("100000.0");
    QTest::addRow("0.95 carries") << 0.95 << QByteArray("00001.0");
    QTest::addRow("1e6") << 1e6 << QByteArray("1000000.0");
    QTest::addRow("-12") << -12.0 << QByteArray("-00012.0");
    QTest::addRow("-0.05 away from zero") << -0.05 << QByteArray("-00000.1");
    QTest::addRow("-0.04 has no minus") << -0.04 << QByteArray("00000.0");
    QTest::addRow("minus zero") << -0.0 << QByteArray("00000.0");
    QTest::addRow("1e-300") << 1e-300 << QByteArray("00000.0");
    QTest::addRow("smallest subnormal")
        << std::numeric_limits<double>::denorm_min() << QByteArray("00000.0");

    // The decision is made on the 15-digit form, not on the binary value.
    QTest::addRow("0.15 just below half in binary") << 0.15 << QByteArray("00000.2");
    QTest::addRow("1.45") << 1.45 << QByteArray("00001.5");
    QTest::addRow("2.675") << 2.675 << QByteArray("00002.7");
    QTest::addRow("1000.05") << 1000.05 << QByteArray("01000.1");
    QTest::addRow("9.95 carries twice") << 9.95 << QByteArray("00010.0");
    QTest::addRow("8.345 below the 0.05") << 8.345 << QByteArray("00008.3");
    QTest::addRow("0.049999... reaches 0.05 in 15 digits")
        << 0.04999999999999999 << QByteArray("00000.1");
    QTest::addRow("0.0499999999999 stays below") << 0.0499999999999 << QByteArray("00000.0");

    // Beyond 15 significant digits only zeros follow.
    QTest::addRow("123456789.123") << 123456789.123 << QByteArray("123456789.1");
    QTest::addRow("19 digits") << 1234567890123456789.0 << QByteArray("1234567890123460000.0");
    QTest::addRow("1e20") << 1e20 << QByteArray("100000000000000000000.0");
    QTest::addRow("1e300") << 1e300 << "1" + QByteArray(300, '0') + ".0";
    QTest::addRow("largest negative")
        << -std::numeric_limits<double>::max() << "-179769313486232" + QByteArray(294, '0') + ".0";
}

void tst_NumberText::formatFixed() {
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    QCOMPARE(QByteArray::fromStdString(zz::common::formatFixed00000_0(value)), text);
}

void tst_NumberText::decimalText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<int>("fewest");
    QTest::addColumn<QByteArray>("text");
    QTest::addRow("trailing zeros dropped") << 138.50550 << 4 << 0 << QByteArray("138.5055");
    QTest::addRow("point dropped") << 100.0 << 4 << 0 << QByteArray("100");
    QTest::addRow("one place kept") << 100.0 << 1 << 1 << QByteArray("100.0");
    QTest::addRow("zero with one place") << 0.0 << 1 << 1 << QByteArray("0.0");
    QTest::addRow("the most the box sets") << 99999.9 << 1 << 1 << QByteArray("99999.9");
    QTest::addRow("kept places, then dropped") << 2.5 << 4 << 2 << QByteArray("2.50");
    QTest::addRow("negative shown as zero") << -0.00001 << 4 << 0 << QByteArray("0");
    QTest::addRow("negative shown as zero, one place") << -0.04 << 1 << 1 << QByteArray("0.0");
    QTest::addRow("negative") << -0.25 << 4 << 0 << QByteArray("-0.25");
}

void tst_NumberText::decimalText() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(int, fewest);
    QFETCH(QByteArray, text);
    QCOMPARE(QByteArray::fromStdString(zz::common::decimalText(value, decimals, fewest)), text);
}

QTEST_APPLESS_MAIN(tst_NumberText)
#include "tst_number_text.moc"
