// Commands on a real pseudo-terminal: the exact bytes, one open/write/close
// cycle per command, the line settings while open, a far end that stops
// reading, and a long run against a slow reader.

#include "link/serial_errors.h"
#include "link_rig.h"
#include "rig/port_holder.h"
#include "rig/pty_pair.h"
#include "support/bytes.h"

#include <QtTest>

#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

using namespace zz;
using zz::test::bytes;
using namespace std::chrono_literals;

namespace {

constexpr int kPort = 3;

enum Field { Input, Output, Control, Local };

}  // namespace

Q_DECLARE_METATYPE(Field)

class tst_LinkPty : public test::PtyLinkFixture {
    Q_OBJECT

public:
    tst_LinkPty() : PtyLinkFixture(kPort) {}

private slots:
    void commandBytes_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("0.0") << QByteArray("0.0") << QByteArray::fromHex("302E300D");
        QTest::newRow("10000") << QByteArray("10000") << QByteArray::fromHex("31303030300D");
        QTest::newRow("99999.9") << QByteArray("99999.9") << QByteArray("99999.9\r");
        QTest::newRow("empty") << QByteArray("") << QByteArray("\r");
        // No output processing: a line feed stays one byte, no CR is added.
        QTest::newRow("line feed kept") << QByteArray("A\nB") << QByteArray::fromHex("410A420D");
        QTest::newRow("high byte kept") << QByteArray("\xB5") << QByteArray::fromHex("B50D");
    }
    void commandBytes() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, expected);
        test::LinkRig rig(kPort);
        const Status status =
            link::sendCommand(*rig.control, std::string_view(command.constData()));
        QVERIFY2(status.ok(), status.text().c_str());
        QCOMPARE(bytes(pty_->readExactly(expected.size())), expected);
        QCOMPARE(bytes(pty_->readAll(500ms, 50ms)), QByteArray());  // nothing more
    }

    void oneCyclePerCommand() {
        test::LinkRig rig(kPort);
        for (int i = 1; i <= 3; ++i) {
            QVERIFY(link::sendCommand(*rig.control, "1.5"));
            QCOMPARE(rig.watch->opens, i);
            QCOMPARE(rig.watch->closes, i);
            QVERIFY(!rig.control->isOpen());
            // Released between commands: lock and exclusive mode are gone.
            QVERIFY(rig::portIsFree(pty_->slavePath()));
        }
        QCOMPARE(bytes(pty_->readExactly(12)), QByteArray("1.5\r1.5\r1.5\r"));
    }

    void openPortIsNotOpenedTwice() {
        test::LinkRig rig(kPort);
        QVERIFY(rig.control->open());
        QVERIFY(!rig::portIsFree(pty_->slavePath()));
        QVERIFY(link::sendCommand(*rig.control, "2.5"));
        QCOMPARE(rig.watch->opens, 1);
        QCOMPARE(rig.watch->closes, 1);
        QVERIFY(!rig.control->isOpen());
        QVERIFY(rig::portIsFree(pty_->slavePath()));
        QCOMPARE(bytes(pty_->readExactly(4)), QByteArray("2.5\r"));
    }

    void lineSettingsWhileOpen_data() {
        QTest::addColumn<Field>("field");
        QTest::addColumn<uint>("mask");
        QTest::addColumn<uint>("expected");
        // A pseudo-terminal always reports 8 bits without parity; real ports keep what is set.
        QTest::newRow("8 data bits") << Control << uint(CSIZE) << uint(CS8);
        QTest::newRow("no parity") << Control << uint(PARENB) << 0u;
        QTest::newRow("1 stop bit") << Control << uint(CSTOPB) << 0u;
        QTest::newRow("no RTS/CTS") << Control << uint(CRTSCTS) << 0u;
        QTest::newRow("receiver on, modem status ignored")
            << Control << uint(CLOCAL | CREAD) << uint(CLOCAL | CREAD);
        QTest::newRow("no XON/XOFF") << Input << uint(IXON | IXOFF | IXANY) << 0u;
        QTest::newRow("raw input") << Input << uint(ICRNL | INLCR | IGNCR | ISTRIP) << 0u;
        QTest::newRow("raw output") << Output << uint(OPOST) << 0u;
        QTest::newRow("no line editing, echo or signals")
            << Local << uint(ICANON | ECHO | ISIG | IEXTEN) << 0u;
    }
    void lineSettingsWhileOpen() {
        QFETCH(Field, field);
        QFETCH(uint, mask);
        QFETCH(uint, expected);

        // Start from settings that differ in every checked respect.
        auto before = pty_->slaveAttributes();
        QVERIFY(before);
        before->c_cflag |= CSTOPB | CRTSCTS;
        before->c_cflag &= ~CLOCAL;
        before->c_iflag |= IXON | IXOFF | IXANY | ICRNL;
        before->c_oflag |= OPOST | ONLCR;
        before->c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
        cfsetispeed(&*before, B38400);
        cfsetospeed(&*before, B38400);
        QVERIFY(pty_->setSlaveAttributes(*before));

        test::LinkRig rig(kPort);
        QVERIFY(rig.control->open());
        const auto seen = pty_->slaveAttributes();
        QVERIFY(rig.control->close());
        QVERIFY(seen);

        QCOMPARE(cfgetospeed(&*seen), speed_t(B9600));
        QCOMPARE(cfgetispeed(&*seen), speed_t(B9600));
        const tcflag_t flags[] = {seen->c_iflag, seen->c_oflag, seen->c_cflag, seen->c_lflag};
        QCOMPARE(uint(flags[field] & mask), expected);
    }

    // A far end that takes nothing, or a device that hangs up mid-write: the
    // command fails within its bound, nothing of it stays queued, the port is
    // released, and the next command goes out whole, on the device that is
    // back behind the same map entry after a hang-up.
    void failedCycleReleasesThePort_data() {
        QTest::addColumn<bool>("hangUp");
        QTest::newRow("far end stalled") << false;
        QTest::newRow("device hung up while stalled") << true;
    }
    void failedCycleReleasesThePort() {
        QFETCH(bool, hangUp);
        test::LinkRig rig(kPort);
        const std::size_t queued = pty_->stall();
        QVERIFY(queued > 0);
        std::thread unplug;
        if (hangUp)
            unplug = std::thread([this] {
                std::this_thread::sleep_for(50ms);
                pty_->hangUp();
            });
        const auto started = std::chrono::steady_clock::now();
        const Status status = link::sendCommand(*rig.control, "00001.0");
        const auto took = std::chrono::steady_clock::now() - started;
        if (unplug.joinable()) unplug.join();

        QCOMPARE(status.number(),
                 hangUp ? link::serial_error::WriteFailed : link::serial_error::WriteTimeout);
        QVERIFY2(status.text().starts_with("COM3 (" + pty_->slavePath() + "): "),
                 status.text().c_str());
        QVERIFY(took < 1s);  // bound: 240 ms and the frame's 8.3 ms
        QVERIFY(!rig.control->isOpen());

        rig::PtyPair back;
        if (hangUp) {
            QVERIFY(sandbox_->map(kPort, back.slavePath()));
        } else {
            QVERIFY(rig::portIsFree(pty_->slavePath()));
            // The far end's own input buffer keeps some filler; the queue
            // behind it was discarded, and nothing of the failed frame is left.
            const QByteArray left = bytes(pty_->readAll(500ms, 50ms));
            QVERIFY(std::size_t(left.size()) < queued);
            QCOMPARE(left.count('x'), left.size());
            pty_->resume();
        }
        rig::PtyPair &device = hangUp ? back : *pty_;
        QVERIFY(link::sendCommand(*rig.control, "00002.0"));
        QCOMPARE(bytes(device.readAll(2s, 100ms)), QByteArray("00002.0\r"));
    }

    // Two senders of ours hammering one port: each waits while the other
    // holds it, so every frame is whole, unmixed, in its sender's order.
    void twoSendersInterleave() {
        constexpr int kEach = 500;
        pid_t senders[2];
        for (int s = 0; s < 2; ++s) {
            senders[s] = fork();
            QVERIFY(senders[s] >= 0);
            if (senders[s] > 0) continue;
            test::LinkRig rig(kPort);
            int failed = 0;
            for (int i = 0; i < kEach; ++i) {
                char digits[8];
                std::snprintf(digits, sizeof digits, "%04d", i % 10000);
                const std::string command = std::to_string(s + 1) + digits + ".0";
                failed += link::sendCommand(*rig.control, command).ok() ? 0 : 1;
            }
            _exit(failed == 0 ? 0 : 1);
        }
        rig::SlowReader reader(*pty_, 4096, 0us);
        for (pid_t sender : senders) {
            int status = 0;
            QCOMPARE(waitpid(sender, &status, 0), sender);
            QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "a sender saw a failure");
        }
        const QList<QByteArray> frames = bytes(reader.finish(2 * kEach * 8, 30s)).split('\r');
        QCOMPARE(frames.size(), 2 * kEach + 1);  // and an empty tail after the last CR
        int next[2] = {0, 0};
        for (const QByteArray &frame : frames.first(2 * kEach)) {
            QVERIFY2(
                frame.size() == 7 && (frame[0] == '1' || frame[0] == '2') && frame.endsWith(".0"),
                frame.constData());
            int &expected = next[frame[0] - '1'];
            QCOMPARE(frame.mid(1, 4).toInt(), expected++);
        }
    }

    void thousandCommandsToASlowReader() {
        test::LinkRig rig(kPort);
        rig::SlowReader reader(*pty_, 5, 20us);
        std::string expected;
        for (int i = 0; i < 1000; ++i) {
            const std::string command =
                std::to_string(i * 97 % 100000) + "." + std::to_string(i % 10);
            expected += command + '\r';
            const Status status = link::sendCommand(*rig.control, command);
            QVERIFY2(status.ok(), status.text().c_str());
        }
        QCOMPARE(rig.watch->opens, 1000);
        QCOMPARE(rig.watch->closes, 1000);
        QCOMPARE(bytes(reader.finish(expected.size(), 60s)), bytes(expected));
    }
};

QTEST_APPLESS_MAIN(tst_LinkPty)
#include "tst_link_pty.moc"
