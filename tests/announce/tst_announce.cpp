// The records the box announces, and the announcer with no avahi-daemon to
// talk to (the system bus pointed at nothing): one log line, it keeps trying.

#include "announce/announcer.h"

#include <QtTest>

#include <mutex>

using namespace zz::announce;

class tst_Announce : public QObject {
    Q_OBJECT

private slots:
    void records_data() {
        QTest::addColumn<int>("scpi");
        QTest::addColumn<int>("web");
        QTest::addColumn<int>("vxi11");
        QTest::addColumn<QStringList>("services");
        QTest::newRow("all") << 5025 << 80 << 1024
                             << QStringList{"_scpi-raw._tcp 5025", "_lxi._tcp 80", "_http._tcp 80",
                                            "_vxi-11._tcp 1024"};
        QTest::newRow("no web page, no VXI-11")
            << 5025 << 0 << 0 << QStringList{"_scpi-raw._tcp 5025"};
    }
    void records() {
        QFETCH(int, scpi);
        QFETCH(int, web);
        QFETCH(int, vxi11);
        QFETCH(QStringList, services);
        const InstrumentFacts facts{{"Quellor Ltd", "6175", "0", "1.02"},
                                    std::uint16_t(scpi),
                                    std::uint16_t(web),
                                    std::uint16_t(vxi11)};
        const Announcement a = lxiAnnouncement("6175 resistance box on COM3 (lab)", facts);
        QCOMPARE(a.name, std::string("6175 resistance box on COM3 (lab)"));
        QStringList got;
        for (const ServiceRecord &s : a.services) {
            got << QString::fromStdString(s.type) + ' ' + QString::number(s.port);
            QStringList txt;
            for (const auto &[key, value] : s.txt) txt << QString::fromStdString(key + '=' + value);
            QStringList expected{"txtvers=1", "Manufacturer=Quellor Ltd", "Model=6175",
                                 "SerialNumber=0", "FirmwareVersion=1.02"};
            if (s.port == std::uint16_t(web)) expected << "path=/";
            QCOMPARE(txt, expected);
        }
        QCOMPARE(got, services);
    }

    void noDaemon() {
        std::mutex mutex;
        QStringList lines;
        {
            Announcer announcer(lxiAnnouncement("box", {{"Q", "6175", "0", "1"}, 5025, 0, 0}),
                                [&](const std::string &line) {
                                    std::lock_guard lock(mutex);
                                    lines << QString::fromStdString(line);
                                });
            QVERIFY(announcer.start().ok());
            QTest::qWait(300);
            QCOMPARE(announcer.name(), std::string("box"));
        }
        std::lock_guard lock(mutex);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("DNS-SD: avahi-daemon is not reachable ("),
                 qPrintable(lines[0]));
    }
};

QTEST_GUILESS_MAIN(tst_Announce)
#include "tst_announce.moc"
