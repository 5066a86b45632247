// What the ports scan makes of the texts devices give: sysfs attributes and
// Windows' hardware and instance ids.

#include "link/device_ids.h"
#include "link/sysfs_text.h"

#include <QtTest>

using namespace zz::link;

class tst_PortTexts : public QObject {
    Q_OBJECT

private slots:
    void attributeText_data() {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a line") << QByteArray("FT232R USB UART\n") << "FT232R USB UART";
        QTest::newRow("padded with NULs") << QByteArray("CP2102\0\0\0", 9) << "CP2102";
        QTest::newRow("UTF-8 kept") << QByteArray("Widerstand 10 k\xce\xa9") << "Widerstand 10 kΩ";
        QTest::newRow("overlong slash") << QByteArray(
                                               "a\xc0\xaf"
                                               "b")
                                        << "a\uFFFD\uFFFDb";
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << "\uFFFD\uFFFD\uFFFD";
        QTest::newRow("past U+10FFFF")
            << QByteArray("\xf4\x90\x80\x80") << QString(4, QChar(0xFFFD));
        QTest::newRow("C1 control") << QByteArray("x\xc2\x85y") << "x\uFFFDy";
        QTest::newRow("escape sequence") << QByteArray("\x1b[31mred") << "\uFFFD[31mred";
        QTest::newRow("cut at a character")
            << QString(200, QChar(0x3A9)).toUtf8() << QString(128, QChar(0x3A9));
        QTest::newRow("spaces left by the cut")
            << QByteArray(127, 'a') + QByteArray(10, ' ') + "b" << QString(127, 'a');
    }
    void attributeText() {
        QFETCH(QByteArray, raw);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(sysfs::attributeText(raw.toStdString())), shown);
    }

    void deviceIds_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("usbId");  // "" none
        QTest::addColumn<QString>("serial");
        QTest::newRow("USB with serial") << "USB\\VID_0403&PID_6001\\A6008ISP"
                                         << "0403:6001"
                                         << "A6008ISP";
        QTest::newRow("USB, Windows' own id") << "USB\\VID_1A86&PID_7523\\5&2B4C1D2&0&3"
                                              << "1a86:7523"
                                              << "";
        QTest::newRow("FTDI's driver") << "FTDIBUS\\VID_0403+PID_6001+A6008ISPA\\0000"
                                       << "0403:6001"
                                       << "A6008ISP";
        QTest::newRow("a UART") << "ACPI\\PNP0501\\1"
                                << ""
                                << "";
        QTest::newRow("cut short") << "USB\\VID_04"
                                   << ""
                                   << "";
    }
    void deviceIds() {
        QFETCH(QString, id);
        QFETCH(QString, usbId);
        QFETCH(QString, serial);
        const DeviceIds ids = readDeviceIds(id.toStdString());
        QCOMPARE(ids.vendorId
                     ? QString::fromStdString(sysfs::usbIdText(*ids.vendorId, *ids.productId))
                     : QString(),
                 usbId);
        QCOMPARE(QString::fromStdString(ids.serial), serial);
    }

    void comPorts() {
        QCOMPARE(comPortNumber("COM3"), std::optional<int>(3));
        QCOMPARE(comPortNumber("COM255"), std::optional<int>(255));
        for (const char *no : {"COM0", "COM256", "COM03", "LPT1", "COM", "COM3x"})
            QVERIFY2(!comPortNumber(no), no);
    }
};

QTEST_GUILESS_MAIN(tst_PortTexts)
#include "tst_port_texts.moc"
