// The resistance each sensor model gives, against the IEC 60751 table for
// platinum, the DIN 43760 table for nickel and independently worked values for
// the thermistors, and what is refused before anything could be sent.

#include "automation/sensor_text.h"
#include "automation/setpoint.h"
#include "box/sensor.h"

#include <QtTest>

#include <cmath>

using namespace zz::automation;
namespace box = zz::box;

Q_DECLARE_METATYPE(box::Sensor)

class tst_SensorModels : public QObject {
    Q_OBJECT

private slots:
    // `ohms` NaN: refused, with `command` part of the reason.
    void resistances_data() {
        QTest::addColumn<box::Sensor>("sensor");
        QTest::addColumn<double>("celsius");
        QTest::addColumn<double>("ohms");
        QTest::addColumn<QString>("command");
        const box::Sensor pt100 = box::sensorNamed("pt100").value();
        const box::Sensor pt1000 = box::sensorNamed("PT1000").value();
        const box::Sensor ni1000 = box::sensorNamed("Ni1000").value();
        const box::Sensor beta = box::BetaThermistor{10000, 3950};
        const box::Sensor steinhart =
            box::SteinhartThermistor{1.009249522e-3, 2.378405444e-4, 2.019202697e-7};
        QTest::newRow("Pt100 -200") << pt100 << -200.0 << 18.5201 << "00018.5";
        QTest::newRow("Pt100 -100") << pt100 << -100.0 << 60.2558 << "00060.3";
        QTest::newRow("Pt100 0") << pt100 << 0.0 << 100.0 << "00100.0";
        QTest::newRow("Pt100 100") << pt100 << 100.0 << 138.5055 << "00138.5";
        QTest::newRow("Pt100 850") << pt100 << 850.0 << 390.4811 << "00390.5";
        QTest::newRow("Pt1000 -100") << pt1000 << -100.0 << 602.5584 << "00602.6";
        QTest::newRow("Pt1000 850") << pt1000 << 850.0 << 3904.811 << "03904.8";
        QTest::newRow("Pt100 below range") << pt100 << -200.01 << double(NAN) << "range";
        QTest::newRow("Pt100 above range") << pt100 << 850.01 << double(NAN) << "range";
        QTest::newRow("Ni1000 -60") << ni1000 << -60.0 << 695.2026 << "00695.2";
        QTest::newRow("Ni1000 0") << ni1000 << 0.0 << 1000.0 << "01000.0";
        QTest::newRow("Ni1000 100") << ni1000 << 100.0 << 1617.785 << "01617.8";
        QTest::newRow("Ni1000 180") << ni1000 << 180.0 << 2231.5255 << "02231.5";
        QTest::newRow("Ni1000 below range") << ni1000 << -60.01 << double(NAN) << "-60 to 180";
        QTest::newRow("Ni1000 above range") << ni1000 << 180.01 << double(NAN) << "range";
        QTest::newRow("beta at 25") << beta << 25.0 << 10000.0 << "10000.0";
        QTest::newRow("beta at 0") << beta << 0.0 << 33620.6037 << "33620.6";
        QTest::newRow("beta too cold for the box") << beta << -40.0 << double(NAN) << "99999.9";
        QTest::newRow("Steinhart at 25") << steinhart << 25.0 << 9876.6445 << "09876.6";
        QTest::newRow("Steinhart at 100") << steinhart << 100.0 << 864.1362 << "00864.1";
        QTest::newRow("thermistor at absolute zero")
            << beta << -273.15 << double(NAN) << "absolute zero";
        QTest::newRow("no single root") << box::Sensor{box::SteinhartThermistor{1e-3, 1e-4, -1e-9}}
                                        << 25.0 << double(NAN) << "no resistance";
    }
    void resistances() {
        QFETCH(box::Sensor, sensor);
        QFETCH(double, celsius);
        QFETCH(double, ohms);
        QFETCH(QString, command);
        const auto point = setpointForTemperature(sensor, celsius);
        if (std::isnan(ohms)) {
            QVERIFY(!point);
            QVERIFY2(QString::fromStdString(point.error()).contains(command),
                     point.error().c_str());
            return;
        }
        QVERIFY2(point, point.error().c_str());
        QVERIFY2(std::fabs(point.value().ohms - ohms) < 5e-5 * std::max(1.0, ohms / 100),
                 qPrintable(QString::number(point.value().ohms, 'f', 6)));
        QCOMPARE(QString::fromStdString(point.value().command), command);
        QCOMPARE(point.value().celsius, std::optional<double>(celsius));
    }

    void sensorNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("known");
        QTest::newRow("pt100") << "pt100" << true;
        QTest::newRow("PT1000") << "PT1000" << true;
        QTest::newRow("Ni1000") << "Ni1000" << true;
        QTest::newRow("pt200") << "pt200" << false;
        QTest::newRow("steinhart") << "1e-3,2e-4,3e-7" << true;
        QTest::newRow("two coefficients") << "1e-3,2e-4" << false;
        QTest::newRow("four coefficients") << "1e-3,2e-4,3e-7,1" << false;
    }
    void sensorNames() {
        QFETCH(QString, text);
        QFETCH(bool, known);
        const std::string t = text.toStdString();
        const auto sensor = text.contains(',') ? steinhartSensor(t) : box::sensorNamed(t);
        QCOMPARE(sensor.ok(), known);
    }
};

QTEST_APPLESS_MAIN(tst_SensorModels)
#include "tst_sensor_models.moc"
