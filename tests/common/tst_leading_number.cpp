#include <QtTest>
#include <cmath>
#include <limits>

#include "common/leading_number.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Exact: a correctly rounded reading must give the very double the compiler makes
// of the same literal, and a zero must be +0.
bool sameDouble(double a, double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

QByteArray repeated(char c, int count) {
    return QByteArray(count, c);
}

}  // namespace

class tst_LeadingNumber : public QObject {
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
};

void tst_LeadingNumber::reads_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("overflow");

    // Blanks anywhere.
    QTest::addRow("blanks around digits") << QByteArray("  1 2 3 ") << 123.0 << false;
    QTest::addRow("blanks around point") << QByteArray("1 2 . 5") << 12.5 << false;
    QTest::addRow("blanks in exponent") << QByteArray("1 e 3") << 1000.0 << false;
    QTest::addRow("blank after sign") << QByteArray("- 5") << -5.0 << false;
    QTest::addRow("tab and line feed") << QByteArray("\t\n4\t2\n") << 42.0 << false;
    QTest::addRow("blank in exponent sign") << QByteArray("2 E - 1") << 0.2 << false;

    // Signs and points.
    QTest::addRow("plus") << QByteArray("+7") << 7.0 << false;
    QTest::addRow("minus") << QByteArray("-7") << -7.0 << false;
    QTest::addRow("two signs") << QByteArray("+-7") << 0.0 << false;
    QTest::addRow("point first") << QByteArray(".5") << 0.5 << false;
    QTest::addRow("minus point first") << QByteArray("-.5") << -0.5 << false;
    QTest::addRow("point last") << QByteArray("5.") << 5.0 << false;
    QTest::addRow("second point stops") << QByteArray("1.2.3") << 1.2 << false;
    QTest::addRow("leading zeros") << QByteArray("007.250") << 7.25 << false;

    // Exponents.
    QTest::addRow("e") << QByteArray("1e3") << 1000.0 << false;
    QTest::addRow("E plus") << QByteArray("1E+2") << 100.0 << false;
    QTest::addRow("D minus") << QByteArray("2.5D-1") << 0.25 << false;
    QTest::addRow("d") << QByteArray("1d2") << 100.0 << false;
    QTest::addRow("letter without digits") << QByteArray("1e") << 1.0 << false;
    QTest::addRow("letter and sign only") << QByteArray("1e+") << 1.0 << false;
    QTest::addRow("letter then text") << QByteArray("1ex") << 1.0 << false;
    QTest::addRow("two exponent signs") << QByteArray("1e--3") << 1.0 << false;
    QTest::addRow("point in exponent stops") << QByteArray("1e3.5") << 1000.0 << false;
    QTest::addRow("exponent leading zeros")
        << QByteArray("1e000000000000000000000003") << 1000.0 << false;
    QTest::addRow("huge exponent") << QByteArray("1e99999999999999999999") << kInf << true;
    QTest::addRow("huge exponent negative number")
        << QByteArray("-1e99999999999999999999") << -kInf << true;
    QTest::addRow("huge negative exponent")
        << QByteArray("1e-99999999999999999999") << 0.0 << false;
    QTest::addRow("zero with huge exponent")
        << QByteArray("0e99999999999999999999") << 0.0 << false;
    QTest::addRow("exponent without mantissa digits") << QByteArray(".e5") << 0.0 << false;

    // Where reading stops.
    QTest::addRow("comma") << QByteArray("12,5") << 12.0 << false;
    QTest::addRow("unit") << QByteArray("25 ohms") << 25.0 << false;
    QTest::addRow("carriage return") << QByteArray("3\r\n") << 3.0 << false;
    QTest::addRow("carriage return inside") << QByteArray("1\r2") << 1.0 << false;
    QTest::addRow("NUL inside") << QByteArray(
                                       "3\0"
                                       "7",
                                       3)
                                << 3.0 << false;
    QTest::addRow("NUL first") << QByteArray(
                                      "\0"
                                      "5",
                                      2)
                               << 0.0 << false;

    // No number at the start.
    QTest::addRow("letters") << QByteArray("abc") << 0.0 << false;
    QTest::addRow("empty") << QByteArray("") << 0.0 << false;
    QTest::addRow("lone minus") << QByteArray("-") << 0.0 << false;
    QTest::addRow("lone plus") << QByteArray("+") << 0.0 << false;
    QTest::addRow("exponent only") << QByteArray("e5") << 0.0 << false;
    QTest::addRow("tab only") << QByteArray("\t") << 0.0 << false;
    QTest::addRow("lone point") << QByteArray(".") << 0.0 << false;
    QTest::addRow("minus zero is plus zero") << QByteArray("-0") << 0.0 << false;

    // Hexadecimal and octal.
    QTest::addRow("hex") << QByteArray("&H1F") << 31.0 << false;
    QTest::addRow("hex lower case") << QByteArray("&h1f") << 31.0 << false;
    QTest::addRow("hex 16-bit -1") << QByteArray("&HFFFF") << -1.0 << false;
    QTest::addRow("hex 16-bit min") << QByteArray("&H8000") << -32768.0 << false;
    QTest::addRow("hex 16-bit max") << QByteArray("&H7FFF") << 32767.0 << false;
    QTest::addRow("hex 32-bit") << QByteArray("&H10000") << 65536.0 << false;
    QTest::addRow("hex 32-bit -1") << QByteArray("&HFFFFFFFF") << -1.0 << false;
    QTest::addRow("hex 32-bit min") << QByteArray("&H80000000") << -2147483648.0 << false;
    QTest::addRow("hex leading zeros") << QByteArray("&H0000FFFF") << -1.0 << false;
    QTest::addRow("hex beyond 32 bits") << QByteArray("&H100000000") << kInf << true;
    QTest::addRow("hex beyond 64 bits") << QByteArray("&H1FFFFFFFFFFFFFFFFFFFF") << kInf << true;
    QTest::addRow("hex blanks") << QByteArray(" & H 1 F ") << 31.0 << false;
    QTest::addRow("hex stops at non-digit") << QByteArray("&H1FG") << 31.0 << false;
    QTest::addRow("hex stops at point") << QByteArray("&H1.5") << 1.0 << false;
    QTest::addRow("hex without digits") << QByteArray("&Hz") << 0.0 << false;
    QTest::addRow("hex at end") << QByteArray("&H") << 0.0 << false;
    QTest::addRow("ampersand only") << QByteArray("&") << 0.0 << false;
    QTest::addRow("other radix letter") << QByteArray("&X1") << 0.0 << false;
    QTest::addRow("sign before hex") << QByteArray("-&H1F") << 0.0 << false;
    QTest::addRow("octal") << QByteArray("&O17") << 15.0 << false;
    QTest::addRow("octal lower case") << QByteArray("&o17") << 15.0 << false;
    QTest::addRow("octal 16-bit -1") << QByteArray("&O177777") << -1.0 << false;
    QTest::addRow("octal 16-bit min") << QByteArray("&O100000") << -32768.0 << false;
    QTest::addRow("octal 32-bit") << QByteArray("&O200000") << 65536.0 << false;
    QTest::addRow("octal 32-bit -1") << QByteArray("&O37777777777") << -1.0 << false;
    QTest::addRow("octal beyond 32 bits") << QByteArray("&O40000000000") << kInf << true;
    QTest::addRow("octal stops at 8") << QByteArray("&O18") << 1.0 << false;
    QTest::addRow("octal without digits") << QByteArray("&O8") << 0.0 << false;

    // Correct rounding and the ends of the double range.
    QTest::addRow("0.1") << QByteArray("0.1") << 0.1 << false;
    QTest::addRow("30 digits") << QByteArray("123456789012345678901234567890")
                               << 123456789012345678901234567890.0 << false;
    QTest::addRow("smallest normal")
        << QByteArray("2.2250738585072014e-308") << 2.2250738585072014e-308 << false;
    QTest::addRow("subnormal") << QByteArray("1e-310") << 1e-310 << false;
    QTest::addRow("smallest subnormal")
        << QByteArray("3e-324") << std::numeric_limits<double>::denorm_min() << false;
    QTest::addRow("below half the smallest subnormal") << QByteArray("2e-324") << 0.0 << false;
    QTest::addRow("tiny") << QByteArray("1e-400") << 0.0 << false;
    QTest::addRow("tiny negative") << QByteArray("-1e-400") << 0.0 << false;
    QTest::addRow("largest") << QByteArray("1.7976931348623157e308")
                             << std::numeric_limits<double>::max() << false;
    QTest::addRow("rounds past largest") << QByteArray("1.7976931348623159e308") << kInf << true;
    QTest::addRow("huge") << QByteArray("1e400") << kInf << true;
    QTest::addRow("huge negative") << QByteArray("-1e400") << -kInf << true;
    QTest::addRow("400 nines") << repeated('9', 400) << kInf << true;

    // Long texts.
    QTest::addRow("1000 threes") << "0." + repeated('3', 1000) << 1.0 / 3.0 << false;
    QTest::addRow("1000 nines scaled") << repeated('9', 1000) + "e-1000" << 1.0 << false;
    QTest::addRow("100000 blanks first") << repeated(' ', 100000) + "5" << 5.0 << false;
    QTest::addRow("100000 zeros after point")
        << "0." + repeated('0', 100000) + "1e100002" << 10.0 << false;
    QTest::addRow("100000 digits") << "1" + repeated('0', 100000) + "e-100000" << 1.0 << false;
    // 1 + 2^-53 lies exactly between 1 and the next double: a tie goes to the
    // even one, but any non-zero digit however far behind tips it upwards.
    const QByteArray midpoint = "1.00000000000000011102230246251565404236316680908203125";
    QTest::addRow("exact midpoint") << midpoint + repeated('0', 900) << 1.0 << false;
    QTest::addRow("just above midpoint")
        << midpoint + repeated('0', 900) + "1" << 1.0 + std::ldexp(1.0, -52) << false;
}

void tst_LeadingNumber::reads() {
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    QFETCH(bool, overflow);

    const auto result =
        zz::common::readLeadingNumber(std::string_view(text.constData(), text.size()));
    QVERIFY2(sameDouble(result.value, value), qPrintable(QStringLiteral("got %1, want %2")
                                                             .arg(result.value, 0, 'g', 17)
                                                             .arg(value, 0, 'g', 17)));
    QCOMPARE(result.overflow, overflow);
    QVERIFY(sameDouble(zz::common::leadingNumber(std::string_view(text.constData(), text.size())),
                       value));
}

QTEST_APPLESS_MAIN(tst_LeadingNumber)
#include "tst_leading_number.moc"
