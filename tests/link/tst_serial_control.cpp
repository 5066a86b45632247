// The control's refusals and the order of steps in sendCommand, on a scripted
// backend that records what it was asked to do.

#include "link/port_map.h"
#include "link/serial_control.h"
#include "link/serial_errors.h"
#include "rig/port_map_sandbox.h"

#include <QtTest>

#include <memory>
#include <string>
#include <vector>

using namespace zz;
namespace err = zz::link::serial_error;

namespace {

struct Script {
    int openError = 0;  // 0: succeeds
    int writeError = 0;
    int closeError = 0;
    std::vector<std::string> log;
};

class ScriptedBackend : public link::SerialBackend {
public:
    explicit ScriptedBackend(std::shared_ptr<Script> script) : script_(std::move(script)) {}
    Status open(int port, const std::string &path) override {
        script_->log.push_back("open " + std::to_string(port) + " " + path);
        if (script_->openError) return Status::failure(script_->openError, "open");
        open_ = true;
        return {};
    }
    Status write(std::string_view bytes) override {
        script_->log.push_back("write " + std::string(bytes));
        if (!script_->writeError) return {};
        open_ = false;  // a failed write releases the device
        return Status::failure(script_->writeError, "write");
    }
    Status close() override {
        script_->log.push_back("close");
        open_ = false;  // a close always releases, even when the drain failed
        return script_->closeError ? Status::failure(script_->closeError, "close") : Status{};
    }
    bool isOpen() const override { return open_; }

private:
    std::shared_ptr<Script> script_;
    bool open_ = false;
};

QStringList logOf(const Script &script) {
    QStringList list;
    for (const auto &entry : script.log) list << QString::fromStdString(entry);
    return list;
}

}  // namespace

class tst_SerialControl : public QObject {
    Q_OBJECT

    std::shared_ptr<Script> script_;
    std::unique_ptr<link::SerialControl> control_;
    std::unique_ptr<rig::PortMapSandbox> sandbox_;

private slots:
    void init() {
        sandbox_ = std::make_unique<rig::PortMapSandbox>();
        QVERIFY(sandbox_->ok());
        script_ = std::make_shared<Script>();
        control_ =
            std::make_unique<link::SerialControl>(std::make_unique<ScriptedBackend>(script_));
    }
    void cleanup() {
        control_.reset();
        sandbox_.reset();
    }

    void startsAtPortOne() { QCOMPARE(control_->port(), 1); }

    void portNumbers_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("lowest") << 1 << true;
        QTest::newRow("highest") << 255 << true;
        QTest::newRow("middle") << 42 << true;
        QTest::newRow("zero") << 0 << false;
        QTest::newRow("negative") << -1 << false;
        QTest::newRow("one past the top") << 256 << false;
        QTest::newRow("most negative") << std::numeric_limits<int>::min() << false;
    }
    void portNumbers() {
        QFETCH(int, port);
        QFETCH(bool, accepted);
        QVERIFY(control_->setPort(7));

        const Status status = control_->setPort(port);
        QCOMPARE(status.ok(), accepted);
        if (accepted) {
            QCOMPARE(control_->port(), port);
        } else {
            QCOMPARE(status.number(), err::InvalidPortNumber);
            QCOMPARE(status.text(), std::string("Invalid port number"));
            QCOMPARE(control_->port(), 7);  // a refused number changes nothing
        }
    }

    void setPortRefusedWhileOpen() {
        QVERIFY(control_->setPort(4));
        QVERIFY(control_->open());
        const Status status = control_->setPort(5);
        QCOMPARE(status.number(), err::PortAlreadyOpen);
        QCOMPARE(control_->port(), 4);
        QVERIFY(control_->close());
        QVERIFY(control_->setPort(5));
        QCOMPARE(control_->port(), 5);
    }

    void opensThePathOfTheCurrentPort() {
        QVERIFY(sandbox_->map(12, "/dev/some-adapter"));
        QVERIFY(control_->setPort(12));
        QVERIFY(control_->open());
        QVERIFY(control_->close());
        QVERIFY(control_->setPort(13));
        QVERIFY(control_->open());
        QCOMPARE(logOf(*script_),
                 QStringList({"open 12 " + QString::fromStdString(link::portMapEntry(12)), "close",
                              "open 13 /dev/ttyS12"}));
    }

    void openingTwiceIsRefused() {
        QVERIFY(control_->open());
        const Status status = control_->open();
        QCOMPARE(status.number(), err::PortAlreadyOpen);
        QCOMPARE(status.text(), std::string("Port already open"));
        QVERIFY(control_->isOpen());
        QCOMPARE(script_->log.size(), size_t(1));
    }

    void closingAClosedPortIsFine() {
        QVERIFY(control_->close());
        QVERIFY(script_->log.empty());
    }

    void outputNeedsAnOpenPort() {
        const Status status = control_->write("1.0\r");
        QCOMPARE(status.number(), err::PortNotOpen);
        QVERIFY(script_->log.empty());
    }

    void destructorClosesAnOpenPort() {
        QVERIFY(control_->open());
        control_.reset();
        QCOMPARE(logOf(*script_).last(), QString("close"));
    }

    void sendCommandSteps_data() {
        QTest::addColumn<bool>("startOpen");
        QTest::addColumn<int>("openError");
        QTest::addColumn<int>("writeError");
        QTest::addColumn<int>("closeError");
        QTest::addColumn<QStringList>("expectedLog");
        QTest::addColumn<int>("expectedError");
        QTest::addColumn<bool>("openAfter");

        const QString open = "open 1 /dev/ttyS0", write = "write 0.0\r", close = "close";
        QTest::newRow("closed port: open, write, close")
            << false << 0 << 0 << 0 << QStringList{open, write, close} << 0 << false;
        QTest::newRow("open port: not opened twice, closed after")
            << true << 0 << 0 << 0 << QStringList{write, close} << 0 << false;
        QTest::newRow("open fails: nothing written")
            << false << err::NoSuchPort << 0 << 0 << QStringList{open} << err::NoSuchPort << false;
        QTest::newRow("write fails: port released")
            << false << 0 << err::WriteTimeout << 0 << QStringList{open, write} << err::WriteTimeout
            << false;
        QTest::newRow("write fails on an open port")
            << true << 0 << err::WriteFailed << 0 << QStringList{write} << err::WriteFailed
            << false;
        QTest::newRow("close fails: reported, port released")
            << false << 0 << 0 << err::WriteTimeout << QStringList{open, write, close}
            << err::WriteTimeout << false;
    }
    void sendCommandSteps() {
        QFETCH(bool, startOpen);
        QFETCH(int, openError);
        QFETCH(int, writeError);
        QFETCH(int, closeError);
        QFETCH(QStringList, expectedLog);
        QFETCH(int, expectedError);
        QFETCH(bool, openAfter);

        if (startOpen) QVERIFY(control_->open());
        script_->log.clear();
        script_->openError = openError;
        script_->writeError = writeError;
        script_->closeError = closeError;

        const Status status = link::sendCommand(*control_, "0.0");
        QCOMPARE(status.number(), expectedError);
        QCOMPARE(logOf(*script_), expectedLog);
        QCOMPARE(control_->isOpen(), openAfter);
    }

    void commandAfterAFailedWriteOpensAfresh() {
        script_->writeError = err::WriteTimeout;
        QCOMPARE(link::sendCommand(*control_, "1.0").number(), err::WriteTimeout);
        script_->writeError = 0;
        script_->log.clear();
        QVERIFY(link::sendCommand(*control_, "2.0"));
        QCOMPARE(logOf(*script_), QStringList({"open 1 /dev/ttyS0", "write 2.0\r", "close"}));
        QVERIFY(!control_->isOpen());
    }
};

QTEST_APPLESS_MAIN(tst_SerialControl)
#include "tst_serial_control.moc"
