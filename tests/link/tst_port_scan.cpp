// The ports present, read from fake sysfs trees shaped as real adapters show
// them, and from trees that are broken on purpose.

#include "link/port_access_posix.h"
#include "link/port_scan.h"
#include "link/sysfs_text.h"
#include "rig/fake_serial_tree.h"
#include "rig/port_map_sandbox.h"

#include <QtTest>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using namespace zz;
using zz::rig::FakeSerialTree;
using zz::rig::FakeUsbPort;

namespace {

QString q(const std::string &s) {
    return QString::fromStdString(s);
}

const FakeUsbPort kFtdi{"ttyUSB0",  "1-2",  "0403",
                        "6001",     "FTDI", "FT232R USB UART",
                        "A6008isP", 0,      "usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"};
const FakeUsbPort kCh340{
    "ttyUSB1", "1-3", "1a86", "7523", "", "", "", 0, "usb-1a86_USB2.0-Ser_-if00-port0"};
const FakeUsbPort kAcm{"ttyACM0",
                       "1-4",
                       "2341",
                       "0043",
                       "Arduino (www.arduino.cc)",
                       "Arduino Uno",
                       "85736323838351F0C1A1",
                       0,
                       "usb-Arduino__www.arduino.cc__0043_85736323838351F0C1A1-if00"};

const link::PresentPort *find(const std::vector<link::PresentPort> &ports, const QString &device) {
    for (const auto &port : ports)
        if (q(port.device).endsWith("/" + device)) return &port;
    return nullptr;
}

QStringList deviceNames(const std::vector<link::PresentPort> &ports) {
    QStringList names;
    for (const auto &port : ports) names << q(port.device).section('/', -1);
    return names;
}

}  // namespace

class tst_PortScan : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeSerialTree> tree_;
    std::unique_ptr<rig::PortMapSandbox> sandbox_;

    // The machine every case starts from: one of each kind.
    void addEveryKind() {
        tree_->addUsb(kFtdi);
        tree_->addUsb(kCh340);
        tree_->addUsb(kAcm);
        tree_->addUart("ttyS0", "pnp", "4", "0x03F8");
        tree_->addUart("ttyS1", "platform", "0", "0x0000");
        tree_->addUart("ttyS4", "pnp", "4", "0x02F8", true);
    }

private slots:
    void init() {
        tree_ = std::make_unique<FakeSerialTree>();
        sandbox_ = std::make_unique<rig::PortMapSandbox>();
        QVERIFY(tree_->ok() && sandbox_->ok());
        addEveryKind();
    }
    void cleanup() {
        sandbox_.reset();
        tree_.reset();
    }

    // One row per kind of port: what the scan makes of it.
    void eachKind_data() {
        QTest::addColumn<QString>("tty");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("usbId");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("stableName");  // "" none
        QTest::addColumn<QString>("ports");
        QTest::newRow("FTDI with a serial number")
            << "ttyUSB0"
            << "usb-serial"
            << "FT232R USB UART"
            << "0403:6001"
            << "A6008isP"
            << "by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"
            << "3";
        QTest::newRow("CH340 without product or serial") << "ttyUSB1"
                                                         << "usb-serial"
                                                         << "USB-SERIAL CH340"
                                                         << "1a86:7523"
                                                         << ""
                                                         << "by-id/usb-1a86_USB2.0-Ser_-if00-port0"
                                                         << "";
        QTest::newRow("CDC-ACM board")
            << "ttyACM0"
            << "usb"
            << "Arduino Uno"
            << "2341:0043"
            << "85736323838351F0C1A1"
            << "by-id/usb-Arduino__www.arduino.cc__0043_85736323838351F0C1A1-if00"
            << "";
        QTest::newRow("16550A on pnp") << "ttyS0"
                                       << "pnp"
                                       << "16550A UART at 0x03F8"
                                       << ""
                                       << ""
                                       << ""
                                       << "1";
        QTest::newRow("UART below a serial-base port") << "ttyS4"
                                                       << "pnp"
                                                       << "16550A UART at 0x02F8"
                                                       << ""
                                                       << ""
                                                       << ""
                                                       << "5";
    }
    void eachKind() {
        QFETCH(QString, tty);
        QFETCH(QString, kind);
        QFETCH(QString, description);
        QFETCH(QString, usbId);
        QFETCH(QString, serial);
        QFETCH(QString, stableName);
        QFETCH(QString, ports);
        QVERIFY(sandbox_->map(3, tree_->dev() + "/serial/by-id/" + kFtdi.byId));

        const auto scanned = link::scanPorts(tree_->roots());
        const link::PresentPort *port = find(scanned, tty);
        QVERIFY2(port, qPrintable(deviceNames(scanned).join(' ')));
        QCOMPARE(q(port->device), q(tree_->dev()) + "/" + tty);
        QCOMPARE(q(port->kind), kind);
        QCOMPARE(q(port->description), description);
        const QString id = port->vendorId
                               ? q(link::sysfs::usbIdText(*port->vendorId, *port->productId))
                               : QString();
        QCOMPARE(id, usbId);
        QCOMPARE(q(port->serial), serial);
        QCOMPARE(q(port->stableName),
                 stableName.isEmpty() ? QString() : q(tree_->dev()) + "/serial/" + stableName);
        QStringList numbers;
        for (int n : port->ports) numbers << QString::number(n);
        QCOMPARE(numbers.join(','), ports);
        QVERIFY(port->mayOpen);  // as root, or the owner of the fake node
        QVERIFY(!port->busy);
    }

    // The phantom ttyS1 (platform, type 0) is left out; the order is natural.
    void listsOnlyRealPorts() {
        tree_->addUart("ttyS10", "pnp", "4", "0x03E8");
        QCOMPARE(deviceNames(link::scanPorts(tree_->roots())),
                 QStringList({"ttyACM0", "ttyS0", "ttyS4", "ttyS10", "ttyUSB0", "ttyUSB1"}));
    }

    // Port 1 opens through its entry once there is one, even a dangling one:
    // ttyS0 is then no longer port 1.
    void entryTakesTheDefaultNumber() {
        QVERIFY(sandbox_->map(1, "/dev/zz-gone"));
        const auto scanned = link::scanPorts(tree_->roots());
        const auto *port = find(scanned, "ttyS0");
        QVERIFY(port && port->ports.empty());
    }

    void byPathWhenNoById() {
        FakeUsbPort noId = kCh340;
        noId.tty = "ttyUSB7";
        noId.usbPath = "1-7";
        noId.byId.clear();
        tree_->addUsb(noId);
        const auto scanned = link::scanPorts(tree_->roots());
        const auto *port = find(scanned, "ttyUSB7");
        QVERIFY(port);
        QCOMPARE(q(port->stableName),
                 q(tree_->dev()) + "/serial/by-path/pci-0000:00:14.0-usb-0:7:1.0-port0");
    }

    void stableNameLeadsToTheLink() {
        QCOMPARE(q(link::stableNamePath(kFtdi.byId, tree_->roots()).value_or("")),
                 q(tree_->dev()) + "/serial/by-id/" + q(kFtdi.byId));
        QVERIFY(!link::stableNamePath("../ttyUSB0", tree_->roots()));
        QVERIFY(!link::stableNamePath("..", tree_->roots()));
        QVERIFY(!link::stableNamePath("no-such-adapter", tree_->roots()));
    }

    // Another program's flock names that program.
    void busyNamesTheHolder() {
        const int fd = ::open((tree_->dev() + "/ttyUSB0").c_str(), O_RDWR | O_CLOEXEC);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        const auto scanned = link::scanPorts(tree_->roots());
        ::close(fd);
        const auto *port = find(scanned, "ttyUSB0");
        QVERIFY(port && port->busy);
        QCOMPARE(q(port->holder),
                 QString("tst_port_scan (pid %1)").arg(QCoreApplication::applicationPid()));
    }

    // Broken trees: the scan ends with the sound entries, never hangs.
    void hostileTree_data() {
        QTest::addColumn<QString>("spoil");
        QTest::addColumn<QString>("ftdiDescription");  // "-": ttyUSB0 left out
        QTest::newRow("missing device link") << "nodevice"
                                             << "-";
        QTest::newRow("loop of links") << "loop"
                                       << "-";
        QTest::newRow("class entry is a loop") << "classloop"
                                               << "-";
        QTest::newRow("device without a subsystem") << "nosubsystem"
                                                    << "-";
        QTest::newRow("1 MB product") << "huge" << QString(128, 'A');
        QTest::newRow("not UTF-8") << "binary"
                                   << "FT\uFFFD\uFFFD232R \uFFFDUART\uFFFD";
        QTest::newRow("product is a FIFO") << "fifo"
                                           << "FT232R USB UART";
        QTest::newRow("product is a folder") << "folder"
                                             << "FT232R USB UART";
    }
    void hostileTree() {
        QFETCH(QString, spoil);
        QFETCH(QString, ftdiDescription);
        const std::string folder = tree_->ttyFolder("ttyUSB0");
        const std::string usbDevice = tree_->sysfs() + "/devices/pci0000:00/0000:00:14.0/usb1/1-2";
        const std::string product = usbDevice + "/product";
        if (spoil == "nodevice") ::unlink((folder + "/device").c_str());
        if (spoil == "loop") {
            FakeSerialTree::symlink(folder + "/device2", folder + "/device");
            FakeSerialTree::symlink(folder + "/device", folder + "/device2");
        }
        if (spoil == "classloop")
            FakeSerialTree::symlink(tree_->sysfs() + "/class/tty/ttyUSB0",
                                    tree_->sysfs() + "/class/tty/ttyUSB0");
        if (spoil == "nosubsystem") ::unlink((usbDevice + "/1-2:1.0/ttyUSB0/subsystem").c_str());
        if (spoil == "huge") FakeSerialTree::write(product, std::string(1 << 20, 'A'));
        if (spoil == "binary")
            FakeSerialTree::write(product,
                                  "FT\xff\xfe"
                                  "232R \x01UART\xc3\n");
        if (spoil == "fifo" || spoil == "folder") {
            ::unlink(product.c_str());
            QCOMPARE(
                spoil == "fifo" ? ::mkfifo(product.c_str(), 0644) : ::mkdir(product.c_str(), 0755),
                0);
        }

        const auto scanned = link::scanPorts(tree_->roots());
        const auto *port = find(scanned, "ttyUSB0");
        if (ftdiDescription == "-")
            QVERIFY(!port);
        else
            QVERIFY(port && q(port->description) == ftdiDescription);
        // The sound entries are all there.
        QVERIFY(find(scanned, "ttyUSB1") && find(scanned, "ttyACM0") && find(scanned, "ttyS0"));
    }

    // Adapters come and go while scans run: every scan gives a list of whole
    // entries, with or without the one that comes and goes.
    void entryVanishingMidScan() {
        std::atomic<bool> done{false};
        FakeUsbPort moving = kFtdi;
        moving.tty = "ttyUSB9";
        moving.usbPath = "1-9";
        moving.byId = "usb-moving";
        std::thread churn([&] {
            while (!done) {
                tree_->addUsb(moving);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                tree_->remove("ttyUSB9");
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        int scans = 0, withIt = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        while (std::chrono::steady_clock::now() < until) {
            const auto scanned = link::scanPorts(tree_->roots());
            ++scans;
            QVERIFY(scanned.size() == 5 || scanned.size() == 6);
            for (const auto &port : scanned) QVERIFY(!port.description.empty());
            if (scanned.size() == 6) ++withIt;
        }
        done = true;
        churn.join();
        QVERIFY(scans > 10);
        qInfo("%d scans, %d with the moving adapter", scans, withIt);
    }
};

// Who may open a device, and what a refusal tells the user to do.
class tst_DeviceAccess : public QObject {
    Q_OBJECT

private slots:
    void permission_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("owner");
        QTest::addColumn<bool>("inGroup");
        QTest::addColumn<bool>("onRecord");  // in the group database only
        QTest::addColumn<int>("uid");
        QTest::addColumn<QString>("problem");
        QTest::newRow("member of dialout") << 0660 << 0 << true << true << 1000 << "";
        QTest::newRow("root") << 0600 << 0 << false << false << 0 << "";
        QTest::newRow("owner") << 0600 << 1000 << false << false << 1000 << "";
        QTest::newRow("open to all") << 0666 << 0 << false << false << 1000 << "";
        QTest::newRow("not in the group")
            << 0660 << 0 << false << false << 1000
            << "only the group dialout may open /dev/ttyUSB0: sudo adduser $USER dialout, then "
               "log in again";
        QTest::newRow("added, not logged in again")
            << 0660 << 0 << false << true << 1000
            << "only the group dialout may open /dev/ttyUSB0; you are in it since your last "
               "login: log in again";
        QTest::newRow("group may only read")
            << 0640 << 0 << true << true << 1000 << "only root may open /dev/ttyUSB0";
    }
    void permission() {
        QFETCH(int, mode);
        QFETCH(int, owner);
        QFETCH(bool, inGroup);
        QFETCH(bool, onRecord);
        QFETCH(int, uid);
        QFETCH(QString, problem);
        constexpr gid_t kDialout = 20;  // Debian's
        struct stat st {};
        st.st_mode = S_IFCHR | static_cast<mode_t>(mode);
        st.st_uid = static_cast<uid_t>(owner);
        st.st_gid = kDialout;
        link::DeviceUser user;
        user.uid = static_cast<uid_t>(uid);
        user.groups = {100};
        if (inGroup) user.groups.push_back(kDialout);
        user.groupsOnRecord = user.groups;
        if (onRecord) user.groupsOnRecord.push_back(kDialout);
        QCOMPARE(q(link::permissionProblem("/dev/ttyUSB0", st, user)), problem);
    }
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    tst_PortScan scan;
    tst_DeviceAccess access;
    return QTest::qExec(&scan, argc, argv) | QTest::qExec(&access, argc, argv);
}

#include "tst_port_scan.moc"
