// The served port as the log, the page and the identification name it.

#include "server/port_description.h"

#include <QtTest>

#include <filesystem>
#include <fstream>

using namespace zz;

class tst_PortDescription : public QObject {
    Q_OBJECT

private slots:
    void described_data() {
        QTest::addColumn<QString>("served");
        QTest::addColumn<QString>("expected");
        QTest::newRow("an adapter") << "/dev/ttyUSB0"
                                    << "FT232R USB UART (/dev/ttyUSB0, 0403:6001, serial A6008isP)";
        QTest::newRow("no serial number") << "/dev/ttyUSB1"
                                          << "USB-SERIAL CH340 (/dev/ttyUSB1, 1a86:7523)";
        QTest::newRow("no description") << "/dev/ttyS0"
                                        << "serial port (/dev/ttyS0)";
        QTest::newRow("Windows' own spelling") << "\\\\.\\com3"
                                               << "Prolific (COM3)";
        QTest::newRow("not present") << "/dev/pts/7"
                                     << "";
    }
    void described() {
        QFETCH(QString, served);
        QFETCH(QString, expected);
        std::vector<link::PresentPort> present(4);
        present[0].device = "/dev/ttyUSB0";
        present[0].description = "FT232R USB UART";
        present[0].vendorId = 0x0403;
        present[0].productId = 0x6001;
        present[0].serial = "A6008isP";
        present[1].device = "/dev/ttyUSB1";
        present[1].description = "USB-SERIAL CH340";
        present[1].vendorId = 0x1a86;
        present[1].productId = 0x7523;
        present[2].device = "/dev/ttyS0";
        present[3].device = "COM3";
        present[3].description = "Prolific";
        QCOMPARE(server::portDescription(served.toStdString(), present), expected.toStdString());
    }

    // Served through the port map's link, it is still the device it leads to.
    void throughALink() {
        QTemporaryDir folder;
        const std::string device = folder.filePath("ttyUSB0").toStdString();
        const std::string map = folder.filePath("com3").toStdString();
        { std::ofstream(device).put('\n'); }
        std::filesystem::create_symlink(device, map);
        std::vector<link::PresentPort> present(1);
        present[0].device = device;
        present[0].description = "FT232R USB UART";
        QCOMPARE(server::portDescription(map, present), "FT232R USB UART (" + device + ")");
    }
};

QTEST_APPLESS_MAIN(tst_PortDescription)
#include "tst_port_description.moc"
