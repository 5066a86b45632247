// 6175ZIZ-ctl ports as a user runs it, on a fake sysfs tree: the table, the
// JSON, --map writing the port map, and a stable name as --device.

#include "rig/child_process.h"
#include "rig/fake_serial_tree.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "support/bytes.h"

#include <QtTest>

#include <unistd.h>

using namespace std::chrono;
using zz::rig::FakeSerialTree;
using zz::rig::FakeUsbPort;

namespace {

const FakeUsbPort kFtdi{"ttyUSB0",  "1-2",  "0403",
                        "6001",     "FTDI", "FT232R USB UART",
                        "A6008isP", 0,      "usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"};
// A product string with a quote, a backslash and a byte that is not UTF-8.
const FakeUsbPort kOdd{"ttyUSB1",           "1-3", "1a86", "7523", "", "Box \"7\" \\ \xff", "", 0,
                       "usb-odd-if00-port0"};

}  // namespace

class tst_CtlPorts : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeSerialTree> tree_;
    std::unique_ptr<zz::rig::PortMapSandbox> sandbox_;
    std::unique_ptr<QTemporaryDir> cwd_;

    struct Run {
        int status = -1;
        QByteArray output;
    };
    Run run(const QStringList &args) {
        std::vector<std::string> argv{CTL_PATH};
        for (const QString &arg : args) argv.push_back(arg.toStdString());
        const std::string out = cwd_->filePath("output.txt").toStdString();
        ::unlink(out.c_str());
        zz::rig::ChildProcess child;
        if (!child.start(argv, {}, cwd_->path().toStdString(), out)) return {};
        Run r;
        r.status = zz::rig::exitCode(child.waitForExit(seconds(30))).value_or(-1);
        r.output = zz::test::fileBytes(cwd_->filePath("output.txt"));
        return r;
    }
    QString byId(const FakeUsbPort &port) const {
        return QString::fromStdString(tree_->dev() + "/serial/by-id/" + port.byId);
    }
    QString entry(int port) const {
        return QFile::symLinkTarget(
            QString::fromStdString(sandbox_->mapDirectory() + "/com" + std::to_string(port)));
    }

private slots:
    void init() {
        tree_ = std::make_unique<FakeSerialTree>();
        sandbox_ = std::make_unique<zz::rig::PortMapSandbox>();
        cwd_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tree_->ok() && sandbox_->ok() && cwd_->isValid());
        tree_->addUsb(kFtdi);
        tree_->addUsb(kOdd);
        tree_->addUart("ttyS0", "pnp", "4", "0x03F8");
        tree_->addUart("ttyS1", "platform", "0", "0x0000");
    }
    void cleanup() {
        cwd_.reset();
        sandbox_.reset();
        tree_.reset();
    }

    void table() {
        QVERIFY(sandbox_->map(3, byId(kFtdi).toStdString()));
        const Run r = run({"ports"});
        QCOMPARE(r.status, 0);
        const QStringList lines = QString::fromUtf8(r.output).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);  // the header, ttyS0, ttyUSB0, ttyUSB1
        QVERIFY(lines[0].startsWith("PORT  DEVICE"));
        QVERIFY2(lines[1].contains(QRegularExpression(
                     "^1 +\\S+/dev/ttyS0 +- +16550A UART at 0x03F8 +- +- +free$")),
                 qPrintable(lines[1]));
        QVERIFY2(lines[2].contains(QRegularExpression(
                     "^3 +\\S+/dev/ttyUSB0 +usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0 +FT232R "
                     "USB UART +0403:6001 +A6008isP +free$")),
                 qPrintable(lines[2]));
        QVERIFY(lines[3].startsWith("-  "));
    }

    void json() {
        const Run r = run({"ports", "--json"});
        QCOMPARE(r.status, 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.output, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, r.output.constData());
        const QJsonArray ports = doc.array();
        QCOMPARE(ports.size(), 3);
        const QJsonObject ftdi = ports[1].toObject();
        QCOMPARE(ftdi["device"].toString(), QString::fromStdString(tree_->dev() + "/ttyUSB0"));
        QCOMPARE(ftdi["stable_name"].toString(), byId(kFtdi));
        QCOMPARE(ftdi["vid_pid"].toString(), "0403:6001");
        QCOMPARE(ftdi["serial"].toString(), "A6008isP");
        QCOMPARE(ftdi["busy"].toBool(), false);
        QCOMPARE(ftdi["ports"].toArray(), QJsonArray());
        QVERIFY(ports[2].toObject()["serial"].isNull());
        QCOMPARE(ports[2].toObject()["description"].toString(), "Box \"7\" \\ \uFFFD");
        QCOMPARE(ports[0].toObject()["ports"].toArray(), QJsonArray({1}));
    }

    // --map writes the entry with the stable name; another number's entry is
    // kept unless --force.
    void map_data() {
        QTest::addColumn<QString>("device");  // as typed
        QTest::newRow("device path") << "{dev}/ttyUSB0";
        QTest::newRow("device name") << "ttyUSB0";
        QTest::newRow("stable name") << "usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0";
        QTest::newRow("stable path")
            << "{dev}/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0";
    }
    void map() {
        QFETCH(QString, device);
        device.replace("{dev}", QString::fromStdString(tree_->dev()));
        const Run r = run({"ports", "--map", "3", device});
        QVERIFY2(r.status == 0, r.output.constData());
        QCOMPARE(entry(3), byId(kFtdi));
        QVERIFY2(r.output.contains("COM3 \u2192 " + tree_->dev() + "/ttyUSB0"),
                 r.output.constData());
    }

    void mapRefusesAnotherEntry() {
        QVERIFY(sandbox_->map(4, tree_->dev() + "/ttyS0"));
        Run r = run({"ports", "--map", "4", "ttyUSB0-nonesuch"});
        QCOMPARE(r.status, 2);
        QVERIFY(r.output.contains("no device \"ttyUSB0-nonesuch\""));
        r = run({"ports", "--map", "4", QString::fromStdString(tree_->dev() + "/ttyUSB0")});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.output.contains("port 4 already leads to " + tree_->dev() + "/ttyS0"),
                 r.output.constData());
        QCOMPARE(entry(4), QString::fromStdString(tree_->dev() + "/ttyS0"));
        r = run(
            {"ports", "--map", "4", QString::fromStdString(tree_->dev() + "/ttyUSB0"), "--force"});
        QCOMPARE(r.status, 0);
        QCOMPARE(entry(4), byId(kFtdi));
        // Mapping it to the same device again needs no --force.
        QCOMPARE(
            run({"ports", "--map", "4", "usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"}).status, 0);
    }

    // A number mapped with --map works at once, and a stable name works as
    // --device: both reach the device behind the link.
    void mappedPortSends() {
        zz::rig::PtyPair pty;
        QVERIFY(pty.ok());
        FakeSerialTree::symlink(pty.slavePath(), tree_->dev() + "/serial/by-id/usb-pty-if00");
        QCOMPARE(run({"ports", "--map", "5", "usb-pty-if00"}).status, 0);
        QCOMPARE(entry(5), QString::fromStdString(tree_->dev() + "/serial/by-id/usb-pty-if00"));
        QCOMPARE(run({"--port", "5", "set", "1k"}).status, 0);
        QCOMPARE(zz::test::bytes(pty.readAll(milliseconds(500))), QByteArray("01000.0\r"));
        QCOMPARE(run({"--device", "usb-pty-if00", "set", "4k7"}).status, 0);
        QCOMPARE(zz::test::bytes(pty.readAll(milliseconds(500))), QByteArray("04700.0\r"));
    }

    void usage_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("printed");
        QTest::newRow("map needs a device") << "ports --map 3"
                                            << "give one device";
        QTest::newRow("map number") << "ports --map 0 x"
                                    << "\"0\" is not a port number";
        QTest::newRow("json elsewhere") << "--port 3 --json set 1"
                                        << "are for the ports command";
        QTest::newRow("ports takes no port") << "--port 3 ports"
                                             << "ports takes no --port";
    }
    void usage() {
        QFETCH(QString, args);
        QFETCH(QString, printed);
        const Run r = run(args.split(' '));
        QCOMPARE(r.status, 2);
        QVERIFY2(QString::fromUtf8(r.output).contains(printed), r.output.constData());
    }
};

QTEST_GUILESS_MAIN(tst_CtlPorts)
#include "tst_ctl_ports.moc"
