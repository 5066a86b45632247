// What the port box lists beside its numbers, without a window: a fake
// sysfs tree of adapters, a private port map, a pseudo-terminal as a mapped
// port; the mapping of an offered device and how its failures are told.

#include "link/serial_control.h"
#include "rig/fake_serial_tree.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "startup/port_choice.h"
#include "startup/port_listing.h"
#include "support/bytes.h"
#include "support/scratch_directory.h"
#include "support/scripted_boxes.h"

#include <QtTest>

#include <sys/file.h>
#include <unistd.h>

#include <fcntl.h>

using namespace zz;
using rig::FakeSerialTree;

namespace {

const rig::FakeUsbPort kFtdi{"ttyUSB0",  "1-2",  "0403",
                             "6001",     "FTDI", "FT232R USB UART",
                             "A6008isP", 0,      "usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"};
const rig::FakeUsbPort kCh340{
    "ttyUSB1", "1-3", "1a86", "7523", "", "", "", 0, "usb-1a86_USB2.0-Ser_-if00-port0"};
const rig::FakeUsbPort kUno{
    "ttyACM0", "1-4", "2341", "0043", "Arduino", "Arduino Uno", "8573", 0, "usb-Arduino_Uno-if00"};

QString q(const std::string &s) {
    return QString::fromStdString(s);
}

QString linkText(const QString &path) {
    char text[4096] = {};
    return ::readlink(path.toLocal8Bit().constData(), text, sizeof text - 1) > 0 ? text : "";
}

}  // namespace

class tst_PortListing : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ScratchCurrentDirectory> scratch_;
    std::unique_ptr<FakeSerialTree> tree_;
    std::unique_ptr<rig::PortMapSandbox> map_;
    std::unique_ptr<rig::PtyPair> pty_;

    std::string byId(const rig::FakeUsbPort &port) const {
        return tree_->dev() + "/serial/by-id/" + port.byId;
    }

private slots:
    // A UART as port 1 by default, 2 leading to a missing device, the FTDI
    // mapped as 3, a pseudo-terminal as 5, the CH340 unmapped.
    void init() {
        scratch_ = std::make_unique<test::ScratchCurrentDirectory>();
        tree_ = std::make_unique<FakeSerialTree>();
        map_ = std::make_unique<rig::PortMapSandbox>();
        pty_ = std::make_unique<rig::PtyPair>();
        QVERIFY(scratch_->ok() && tree_->ok() && map_->ok() && pty_->ok());
        tree_->addUart("ttyS0", "pnp", "4", "0x03F8");
        tree_->addUart("ttyS1", "platform", "0", "0x0000");  // no chip: not listed
        tree_->addUsb(kFtdi);
        tree_->addUsb(kCh340);
        QVERIFY(map_->map(2, tree_->root() + "/gone") && map_->map(3, byId(kFtdi)) &&
                map_->map(5, pty_->slavePath()));
    }
    void cleanup() {
        pty_.reset();
        map_.reset();
        tree_.reset();
        scratch_.reset();
    }

    // Each number with what it leads to; the unmapped adapters under the
    // free numbers, one kept where it was when another comes; every entry's
    // text reads back as its number.
    void entries() {
        startup::PortListing ports;
        tree_->addUsb(kUno);  // sorts before the CH340 offered as 4
        ports.refresh();
        const QString gap = QStringLiteral("\u00a0\u00a0\u00a0");
        const QStringList expected = {"1" + gap + "16550A UART at 0x03F8 \u2014 ttyS0",
                                      "2",
                                      "3" + gap + "FT232R USB UART \u2014 ttyUSB0",
                                      "4" + gap + "USB-SERIAL CH340 \u2014 ttyUSB1",
                                      "5" + gap + q(pty_->slavePath()),
                                      "6" + gap + "Arduino Uno \u2014 ttyACM0",
                                      "7"};
        QCOMPARE(int(ports.entries().size()), 20);
        for (int n = 1; n <= 20; ++n) {
            const startup::PortEntry &e = ports.entries()[std::size_t(n - 1)];
            QCOMPARE(q(e.text), n <= expected.size() ? expected[n - 1] : QString::number(n));
            QCOMPARE(e.offered, n == 4 || n == 6);
            QCOMPARE(startup::portNumber(e.text), std::optional<int>(n));
        }
    }

    void tips_data() {
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<QString>("tip");  // with the tree's /dev, this program and its id
        QTest::newRow("offered") << "4"
                                 << "COM4 leads nowhere yet: OK maps it to USB-SERIAL CH340, "
                                    "DEV/serial/by-id/usb-1a86_USB2.0-Ser_-if00-port0";
        QTest::newRow("held") << "3"
                              << "FT232R USB UART\nin use by ME (pid PID)";
    }
    void tips() {
        QFETCH(QString, boxText);
        QFETCH(QString, tip);
        const int held = ::open((tree_->dev() + "/ttyUSB0").c_str(), O_RDONLY | O_CLOEXEC);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
        const startup::PortListing ports;
        const QString shown = q(startup::portTip(ports, boxText.toStdString()));
        ::close(held);
        QFile comm("/proc/self/comm");
        QVERIFY(comm.open(QIODevice::ReadOnly));
        const QString me = QString::fromUtf8(comm.readAll()).trimmed();
        tip.replace("DEV", q(tree_->dev()))
            .replace("ME", me)
            .replace("PID", QString::number(::getpid()));
        QVERIFY2(shown.endsWith(tip), qPrintable(shown));
    }

    // OK on an offered number: the map entry first, with the stable name,
    // then the confirm steps; a second OK after a failed test does not map
    // again. When the entry cannot be written, the one message, nothing stored.
    void mappingTheOfferedDevice_data() {
        QTest::addColumn<QString>("spoil");
        QTest::addColumn<QString>("message");  // the text in the message box, from its start
        QTest::addColumn<QString>("link");     // what com4 leads to afterwards
        QTest::newRow("mapped, its test fails") << ""
                                                << "COM4 ("
                                                << "BY-ID";
        QTest::newRow("unplugged") << "unplug"
                                   << "USB-SERIAL CH340 (BY-ID) is not present any more"
                                   << "";
        QTest::newRow("mapped meanwhile") << "map"
                                          << "COM4 was mapped meanwhile: choose again"
                                          << "PTY";
    }
    void mappingTheOfferedDevice() {
        QFETCH(QString, spoil);
        QFETCH(QString, message);
        QFETCH(QString, link);
        for (QString *text : {&message, &link})
            text->replace("BY-ID", q(byId(kCh340))).replace("PTY", q(pty_->slavePath()));
        startup::PortListing ports;
        if (spoil == "unplug") tree_->remove(kCh340.tty);
        if (spoil == "map") QVERIFY(map_->map(4, pty_->slavePath()));
        link::SerialControl serial;
        test::ScriptedBoxes boxes;
        // A second OK only where the first one mapped: nothing is offered any more.
        for (int ok = 0; ok < (spoil.isEmpty() ? 2 : 1); ++ok)
            QVERIFY(!startup::confirmChoice(serial, ports, "4", boxes));
        QCOMPARE(int(boxes.calls.size()), spoil.isEmpty() ? 2 : 1);
        for (const test::BoxCall &box : boxes.calls)
            QVERIFY2(box.text.startsWith("Serial communication error :\r\r" + message),
                     qPrintable(box.text));
        QCOMPARE(linkText(q(map_->mapDirectory()) + "/com4"), link);
        QCOMPARE(test::fileBytes("Settings.txt"),
                 QByteArray(spoil.isEmpty() ? "4\r\n" : "<missing>"));
    }
};

QTEST_MAIN(tst_PortListing)
#include "tst_port_listing.moc"
