// Sensors given by a datasheet's table: a 10 kΩ B3950 thermistor's and a
// Pt100's (IEC 60751) rows, read back and between, the rows refused, and the
// one lookup of names over the catalogue and the user's sensors.

#include "box/sensor.h"

#include <QtTest>

#include <cmath>

namespace box = zz::box;

namespace {

// A 10 kΩ thermistor's table as its datasheet prints it, 4 significant
// digits; its β between 25 and 50 °C is 3950.
const std::vector<box::TableRow> kNtcRows{
    {-40, 336500}, {-20, 97280}, {0, 32730}, {10, 19940}, {20, 12500}, {25, 10000}, {30, 8051},
    {40, 5314},    {50, 3588},   {60, 2474}, {80, 1245},  {100, 670},  {125, 334.8}};

// Pt100 of IEC 60751 as its tables print it, to 0.01 Ω.
const std::vector<box::TableRow> kPt100Rows{
    {-200, 18.52}, {-150, 39.72}, {-100, 60.26}, {-50, 80.31},  {0, 100.00},
    {50, 119.40},  {100, 138.51}, {150, 157.33}, {200, 175.86}, {300, 212.05},
    {400, 247.09}, {500, 280.98}, {650, 329.64}, {850, 390.48}};

double kelvin(double celsius) {
    return celsius + 273.15;
}

double betaOhms(double celsius) {
    return 10000.0 * std::exp(3950.0 * (1.0 / kelvin(celsius) - 1.0 / kelvin(25.0)));
}

box::Sensor ntc() {
    return box::TableSensor{"ntc1", box::TableKind::Ntc, kNtcRows};
}

box::Sensor pt100Table() {
    return box::TableSensor{"pt100t", box::TableKind::Rtd, kPt100Rows};
}

double at(const box::Sensor &sensor, double celsius) {
    const auto ohms = box::sensorResistance(sensor, celsius);
    return ohms ? ohms.value() : NAN;
}

}  // namespace

class tst_TableSensor : public QObject {
    Q_OBJECT

private slots:
    void rowsReadBackExactly() {
        for (const auto &[sensor, rows] : {std::pair{ntc(), kNtcRows}, {pt100Table(), kPt100Rows}})
            for (const box::TableRow &row : rows) QCOMPARE(at(sensor, row.celsius), row.ohms);
    }

    // Between two rows ln R runs linearly in 1/T, as the β model's does, so
    // where 1/T lies halfway between the rows' the deviation from any β model
    // (here 3950) lies halfway between theirs. Reading ln R linearly in °C
    // instead misses by 2.6 % near -30 °C, far outside the 1e-9 allowed here.
    void ntcBetweenRowsFollowsTheBetaModel() {
        for (std::size_t i = 0; i + 1 < kNtcRows.size(); ++i) {
            const box::TableRow &lo = kNtcRows[i], &hi = kNtcRows[i + 1];
            const double midC =
                2.0 / (1.0 / kelvin(lo.celsius) + 1.0 / kelvin(hi.celsius)) - 273.15;
            const double expected = (std::log(lo.ohms / betaOhms(lo.celsius)) +
                                     std::log(hi.ohms / betaOhms(hi.celsius))) /
                                    2.0;
            const double ours = std::log(at(ntc(), midC) / betaOhms(midC));
            QVERIFY2(std::fabs(ours - expected) < 1e-9, qPrintable(QString::number(midC)));
            QVERIFY(at(ntc(), midC) < lo.ohms && at(ntc(), midC) > hi.ohms);
        }
    }

    // Above 0 °C a Pt100 is a parabola of curvature 2·B·R0, so a straight
    // line between rows h apart misses it by h²/8 · 2|B|R0 at the middle (the
    // table's rounding adds 0.005 Ω); below 0 °C C's term raises the
    // curvature to at most 3.7e-4 Ω/K² (at -200 °C).
    void rtdBetweenRowsAgainstTheStandard() {
        const box::Sensor pt100 = box::sensorNamed("pt100").value();
        for (std::size_t i = 0; i + 1 < kPt100Rows.size(); ++i) {
            const box::TableRow &lo = kPt100Rows[i], &hi = kPt100Rows[i + 1];
            const double h = hi.celsius - lo.celsius, mid = (lo.celsius + hi.celsius) / 2;
            const double curvature = lo.celsius >= 0 ? 2 * 5.775e-7 * 100 : 3.7e-4;
            const double miss = at(pt100Table(), mid) - at(pt100, mid);
            QVERIFY2(std::fabs(miss) <= h * h / 8 * curvature + 0.005,
                     qPrintable(QString("%1 °C: %2 Ω").arg(mid).arg(miss)));
            // The line lies below the parabola's bend: never above it.
            if (lo.celsius >= 0) QVERIFY(miss < 0.005);
            QVERIFY(std::fabs(at(pt100Table(), lo.celsius) - at(pt100, lo.celsius)) <= 0.005);
        }
    }

    void refusedOutsideItsRows_data() {
        QTest::addColumn<double>("celsius");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("below") << -40.01
                               << "ntc1 at -40.01 °C: outside the sensor's range -40 to 125 °C";
        QTest::newRow("above") << 125.01 << "ntc1 at 125.01 °C: outside the sensor's range";
    }
    void refusedOutsideItsRows() {
        QFETCH(double, celsius);
        QFETCH(QString, refusal);
        const auto ohms = box::sensorResistance(ntc(), celsius);
        QVERIFY(!ohms);
        QVERIFY2(QString::fromStdString(ohms.error()).startsWith(refusal), ohms.error().c_str());
    }

    // `row` -1: accepted.
    void faults_data() {
        QTest::addColumn<bool>("rtd");
        QTest::addColumn<std::vector<box::TableRow>>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("reason");
        using Rows = std::vector<box::TableRow>;
        QTest::newRow("one row") << false << Rows{{25, 10000}} << 0 << "1 row: a table needs two";
        QTest::newRow("two rows") << false << Rows{{25, 10000}, {50, 3588}} << -1 << "";
        QTest::newRow("unsorted") << false << Rows{{0, 32730}, {25, 10000}, {10, 19940}} << 2
                                  << "temperature 10 °C is not above 25 °C of the row before";
        QTest::newRow("NTC rising") << false << Rows{{0, 32730}, {10, 19940}, {20, 21000}} << 2
                                    << "resistance 21000 Ω does not fall from 19940 Ω";
        QTest::newRow("RTD falling") << true << Rows{{0, 100}, {50, 119.4}, {100, 119.3}} << 2
                                     << "resistance 119.3 Ω does not rise from 119.4 Ω";
        QTest::newRow("zero ohms")
            << true << Rows{{0, 0}, {50, 119.4}} << 0 << "resistance 0 Ω is not above zero";
        QTest::newRow("below absolute zero") << true << Rows{{-274, 1}, {50, 119.4}} << 0
                                             << "temperature -274 °C is not above absolute zero";
        QTest::newRow("infinite ohms")
            << false << Rows{{0, INFINITY}, {50, 1}} << 0 << "not finite";
    }
    void faults() {
        QFETCH(bool, rtd);
        QFETCH(std::vector<box::TableRow>, rows);
        QFETCH(int, row);
        QFETCH(QString, reason);
        const auto fault = box::tableFault(rtd ? box::TableKind::Rtd : box::TableKind::Ntc, rows);
        QCOMPARE(fault ? int(fault->row) : -1, row);
        if (fault)
            QVERIFY2(QString::fromStdString(fault->reason).contains(reason), fault->reason.c_str());
    }

    // One lookup over the catalogue and the user's sensors, in any case.
    void namesOverCatalogueAndUser_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found");  // empty: refused
        QTest::newRow("catalogue") << "PT500"
                                   << "Pt500";
        QTest::newRow("platinum of the user") << "LOT7"
                                              << "lot7";
        QTest::newRow("table of the user") << "Ntc1"
                                           << "ntc1";
        QTest::newRow("unknown") << "ntc2"
                                 << "";
    }
    void namesOverCatalogueAndUser() {
        QFETCH(QString, name);
        QFETCH(QString, found);
        const std::vector<box::UserSensor> user{box::PlatinumSensor{"lot7", 100.0, {}},
                                                std::get<box::TableSensor>(ntc())};
        const auto sensor = box::sensorNamed(name.toStdString(), user);
        if (found.isEmpty()) {
            QCOMPARE(sensor.error(), std::string("unknown sensor type \"ntc2\": use pt100, pt500, "
                                                 "pt1000, ni1000, lot7 or ntc1"));
            return;
        }
        QVERIFY2(sensor, sensor.error().c_str());
        QCOMPARE(QString::fromStdString(box::sensorName(sensor.value())), found);
        QCOMPARE(box::sensorNames(user).size(), std::size_t(6));
    }
};

QTEST_APPLESS_MAIN(tst_TableSensor)
#include "tst_table_sensor.moc"
