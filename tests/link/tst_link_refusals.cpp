// Ports that must not receive a byte: missing devices, ports held by another
// program (lock file, flock, exclusive mode), files that are not terminals.
// Each refusal is followed by a check that the port works once the reason is
// gone, so a backend that refuses everything cannot pass.

#include "link/serial_errors.h"
#include "link_rig.h"
#include "rig/pty_pair.h"
#include "support/bytes.h"
#include "support/lock_files.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>

using namespace zz;
using zz::test::bytes;
using namespace std::chrono_literals;
namespace err = zz::link::serial_error;

namespace {

constexpr int kPort = 3;

enum Obstacle {
    LockBaseName,   // LCK..<n> for /dev/pts/<n>
    LockClassic,    // LCK..pts_<n>
    LockBinary,     // classic name, binary pid
    FlockHeld,      // another open file holds flock
    ExclusiveSet,   // another open file set TIOCEXCL, nobody holds a lock
    ExclusiveHeld,  // TIOCEXCL and flock by another open file
    StaleLock,      // lock of a process that has exited
    OwnLock,        // lock naming this process
};

std::string ptsNumber(const std::string &slave) {
    return slave.substr(slave.rfind('/') + 1);
}

void writeFile(const std::string &path, const std::string &content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Watches a path for any open or change; the backend must not touch it.
class OpenWatch {
public:
    explicit OpenWatch(const std::string &path) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        ok_ = fd_ >= 0 && inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_MODIFY) >= 0;
    }
    ~OpenWatch() { close(fd_); }
    bool ok() const { return ok_; }
    bool touched() const {
        char buffer[4096];
        return read(fd_, buffer, sizeof buffer) > 0;
    }

private:
    int fd_;
    bool ok_ = false;
};

// Runs `job` in a child process that has given up root (as nobody) and
// returns the text it produced; "child failed" when it could not.
std::string asUnprivileged(const std::function<std::string()> &job) {
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        const std::string text = job();
        _exit(write(out[1], text.data(), text.size()) == ssize_t(text.size()) ? 0 : 3);
    }
    close(out[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : "child failed";
}

}  // namespace

Q_DECLARE_METATYPE(Obstacle)

class tst_LinkRefusals : public test::PtyLinkFixture {
    Q_OBJECT

    std::string lockDir_;

    // Maps the port to the pty, directly or through one more link.
    void mapPty(int port, bool throughAlias, const std::string &aliasName = "alias") {
        std::string target = pty_->slavePath();
        if (throughAlias) {
            const std::string alias = sandbox_->root() + "/" + aliasName;
            QVERIFY(symlink(target.c_str(), alias.c_str()) == 0);
            target = alias;
        }
        QVERIFY(sandbox_->map(port, target));
    }

    void expectNothingWritten() { QCOMPARE(bytes(pty_->readAll(300ms, 50ms)), QByteArray()); }

    void expectWorkingPort(test::LinkRig &rig) {
        const Status status = link::sendCommand(*rig.control, "4.2");
        QVERIFY2(status.ok(), status.text().c_str());
        QCOMPARE(bytes(pty_->readExactly(4)), QByteArray("4.2\r"));
    }

private slots:
    void init() {
        PtyLinkFixture::init();
        if (QTest::currentTestFailed()) return;
        lockDir_ = sandbox_->root() + "/lock";
        QVERIFY(mkdir(lockDir_.c_str(), 0755) == 0);
    }

    void heldByAnother_data() {
        QTest::addColumn<Obstacle>("obstacle");
        QTest::addColumn<bool>("throughAlias");
        QTest::addColumn<QString>("reason");  // empty: not busy
        const QString inUse = "in use by another program";
        const struct {
            const char *name;
            Obstacle obstacle;
            QString reason;
        } rows[] = {
            {"lock file, device name", LockBaseName, inUse},
            {"lock file, classic name", LockClassic, inUse},
            {"lock file, binary pid", LockBinary, inUse},
            {"flock", FlockHeld, inUse},
            {"exclusive mode held", ExclusiveHeld, inUse},
            {"exclusive mode left over", ExclusiveSet,
             "exclusive mode is set, but no program holds the port; it may be left over from a "
             "program that was killed"},
            {"stale lock file", StaleLock, {}},
            {"our own lock file", OwnLock, {}},
        };
        for (const auto &row : rows) {
            QTest::addRow("%s", row.name) << row.obstacle << false << row.reason;
            QTest::addRow("%s, through a second link", row.name)
                << row.obstacle << true << row.reason;
        }
    }
    void heldByAnother() {
        QFETCH(Obstacle, obstacle);
        QFETCH(bool, throughAlias);
        QFETCH(QString, reason);
        mapPty(kPort, throughAlias);

        const std::string n = ptsNumber(pty_->slavePath());
        const std::string classic = lockDir_ + "/LCK..pts_" + n;
        int holder = -1;
        switch (obstacle) {
            case LockBaseName:
                writeFile(lockDir_ + "/LCK.." + n, "         1\n");
                break;
            case LockClassic:
                writeFile(classic, "1\n");
                break;
            case LockBinary:
                writeFile(classic, test::binaryPid(1).toStdString());
                break;
            case StaleLock:
                writeFile(classic, std::to_string(test::deadPid()) + "\n");
                break;
            case OwnLock:
                writeFile(classic, std::to_string(getpid()) + "\n");
                break;
            case FlockHeld:
            case ExclusiveSet:
            case ExclusiveHeld:
                holder = open(pty_->slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
                QVERIFY(holder >= 0);
                if (obstacle != ExclusiveSet) QVERIFY(flock(holder, LOCK_EX | LOCK_NB) == 0);
                if (obstacle != FlockHeld) QVERIFY(ioctl(holder, TIOCEXCL) == 0);
                break;
        }

        test::LinkRig rig(kPort, {lockDir_});
        const Status status = link::sendCommand(*rig.control, "1.0");
        if (reason.isEmpty()) {
            QVERIFY2(status.ok(), status.text().c_str());
            QCOMPARE(bytes(pty_->readExactly(4)), QByteArray("1.0\r"));
            return;
        }
        QCOMPARE(status.number(), err::PortBusy);
        QVERIFY2(
            status.text().starts_with("COM3 (" + pty_->slavePath() + "): " + reason.toStdString()),
            status.text().c_str());
        QVERIFY(!rig.control->isOpen());
        expectNothingWritten();

        // The holder lets go: now the same control gets through.
        if (holder >= 0) {
            ioctl(holder, TIOCNXCL);
            close(holder);
        }
        unlink((lockDir_ + "/LCK.." + n).c_str());
        unlink(classic.c_str());
        expectWorkingPort(rig);
    }

    // Without privileges exclusive mode refuses the open itself, so whether
    // some program holds the port is read from the system's table of locks.
    void exclusiveModeWithoutPrivileges_data() {
        QTest::addColumn<bool>("flocked");
        QTest::addColumn<QString>("reason");
        QTest::newRow("held") << true << "in use by another program (exclusive mode)";
        QTest::newRow("left over") << false
                                   << "exclusive mode is set, but no program holds the port; it "
                                      "may be left over from a program that was killed";
    }
    void exclusiveModeWithoutPrivileges() {
        QFETCH(bool, flocked);
        QFETCH(QString, reason);
        mapPty(kPort, false);
        QVERIFY(chmod(sandbox_->root().c_str(), 0755) == 0);
        QVERIFY(chmod(pty_->slavePath().c_str(), 0666) == 0);
        const int holder = open(pty_->slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(holder >= 0);
        if (flocked) QVERIFY(flock(holder, LOCK_EX | LOCK_NB) == 0);
        QVERIFY(ioctl(holder, TIOCEXCL) == 0);

        const std::string text = asUnprivileged([&] {
            test::LinkRig rig(kPort, {lockDir_});
            return link::sendCommand(*rig.control, "1.0").text();
        });
        ioctl(holder, TIOCNXCL);
        close(holder);
        QCOMPARE(QString::fromStdString(text),
                 QString::fromStdString("COM3 (" + pty_->slavePath() + "): ") + reason);
        expectNothingWritten();
    }

    // A lock file naming a live process of another user: without root,
    // kill(pid, 0) answers EPERM, which means alive, so the port is in use.
    void otherUsersLockWithoutPrivileges() {
        if (geteuid() != 0) QSKIP("needs root to run a process as another user");
        mapPty(kPort, false);
        QVERIFY(chmod(sandbox_->root().c_str(), 0755) == 0);
        QVERIFY(chmod(pty_->slavePath().c_str(), 0666) == 0);
        const pid_t owner = fork();  // the other user's program, alive until killed
        if (owner == 0) {
            if (setgid(65533) != 0 || setuid(65533) != 0) _exit(2);
            for (;;) pause();
        }
        QVERIFY(owner > 0);
        const std::string lock = lockDir_ + "/LCK..pts_" + ptsNumber(pty_->slavePath());
        writeFile(lock, std::to_string(owner) + "\n");
        const std::string text = asUnprivileged([&] {
            test::LinkRig rig(kPort, {lockDir_});
            return link::sendCommand(*rig.control, "1.0").text();
        });
        kill(owner, SIGKILL);
        waitpid(owner, nullptr, 0);
        QCOMPARE(text, "COM3 (" + pty_->slavePath() + "): in use by another program (process " +
                           std::to_string(owner) + " holds " + lock + ")");
        expectNothingWritten();
    }

    // While our backend holds the port, the device is in exclusive mode: seen
    // from another descriptor, and an unprivileged open is refused.
    void exclusiveModeWhileHeld() {
        mapPty(kPort, false);
        QVERIFY(chmod(pty_->slavePath().c_str(), 0666) == 0);
        const std::string slave = pty_->slavePath();
        const int other = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(other >= 0);
        int exclusive = -1;
        std::string unprivilegedOpen;
        test::LinkRig rig(kPort, {lockDir_});
        rig.watch->beforeWrite = [&] {
            ioctl(other, TIOCGEXCL, &exclusive);
            unprivilegedOpen = asUnprivileged([&] {
                const int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
                return std::string(fd >= 0 ? "opened" : std::strerror(errno));
            });
        };
        const Status status = link::sendCommand(*rig.control, "1.0");
        int afterwards = -1;
        ioctl(other, TIOCGEXCL, &afterwards);
        close(other);
        QVERIFY2(status.ok(), status.text().c_str());
        QCOMPARE(bytes(pty_->readExactly(4)), QByteArray("1.0\r"));
        QCOMPARE(exclusive, 1);
        QCOMPARE(unprivilegedOpen, std::string(std::strerror(EBUSY)));
        QCOMPARE(afterwards, 0);  // released with the port
    }

    void lockFileNamesTheHolder() {
        mapPty(kPort, false);
        const std::string lock = lockDir_ + "/LCK..pts_" + ptsNumber(pty_->slavePath());
        writeFile(lock, "1\n");
        test::LinkRig rig(kPort, {"/nonexistent", lockDir_});
        const Status status = link::sendCommand(*rig.control, "1.0");
        QCOMPARE(status.text(), "COM3 (" + pty_->slavePath() +
                                    "): in use by another program (process 1 holds " + lock + ")");
    }

    void systemLockDirectory() {
        // The backend's own default directories, as other programs use them.
        const std::string lock = "/run/lock/LCK..pts_" + ptsNumber(pty_->slavePath());
        if (access("/run/lock", W_OK) != 0) QSKIP("cannot write /run/lock here");
        mapPty(kPort, false);
        writeFile(lock, "1\n");
        test::LinkRig rig(kPort);
        const Status status = link::sendCommand(*rig.control, "1.0");
        unlink(lock.c_str());
        QCOMPARE(status.number(), err::PortBusy);
        expectNothingWritten();
        expectWorkingPort(rig);
    }

    // The same map entry pointed somewhere else between two commands: the
    // checks must follow it, not what the entry led to before.
    void remappedBetweenCommands_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("error");
        QTest::newRow("another terminal") << "terminal" << 0;
        QTest::newRow("another terminal, locked") << "locked terminal" << err::PortBusy;
        QTest::newRow("a regular file") << "file" << err::NotASerialPort;
    }
    void remappedBetweenCommands() {
        QFETCH(QString, change);
        QFETCH(int, error);
        rig::PtyPair other;
        QVERIFY(other.ok());
        mapPty(kPort, false);
        test::LinkRig rig(kPort, {lockDir_});
        QVERIFY(link::sendCommand(*rig.control, "1.0"));
        QCOMPARE(bytes(pty_->readExactly(4)), QByteArray("1.0\r"));

        std::string target = other.slavePath();
        if (change == "locked terminal")
            writeFile(lockDir_ + "/LCK..pts_" + ptsNumber(target), "1\n");
        if (change == "file") {
            target = sandbox_->root() + "/plain";
            writeFile(target, "");
        }
        QVERIFY(sandbox_->map(kPort, target));
        const Status status = link::sendCommand(*rig.control, "2.0");
        QCOMPARE(status.number(), error);
        QCOMPARE(bytes(other.readAll(300ms, 50ms)), error ? QByteArray() : QByteArray("2.0\r"));
        expectNothingWritten();  // the first terminal is no longer the port
    }

    void secondControlWhileOpen_data() {
        QTest::addColumn<bool>("differentLink");
        QTest::newRow("same map entry") << false;
        QTest::newRow("another map entry through another link") << true;
    }
    void secondControlWhileOpen() {
        QFETCH(bool, differentLink);
        mapPty(kPort, false);
        int secondPort = kPort;
        if (differentLink) {
            secondPort = 9;
            mapPty(secondPort, true, "other-name");
        }
        test::LinkRig first(kPort, {lockDir_});
        test::LinkRig second(secondPort, {lockDir_});
        QVERIFY(first.control->open());

        const Status status = second.control->open();
        QCOMPARE(status.number(), err::PortBusy);
        QVERIFY(!second.control->isOpen());
        QVERIFY(first.control->isOpen());  // the refusal did not disturb the holder

        QVERIFY(link::sendCommand(*first.control, "5.0"));
        QCOMPARE(bytes(pty_->readExactly(4)), QByteArray("5.0\r"));
        expectWorkingPort(second);
    }

    void notATerminal_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("regular file") << "file" << err::NotASerialPort << "not a serial port";
        QTest::newRow("directory") << "directory" << err::NotASerialPort << "not a serial port";
        QTest::newRow("/dev/null") << "null" << err::NotASerialPort << "not a serial port";
        QTest::newRow("/dev/ptmx") << "ptmx" << err::NotASerialPort << "not a serial port";
        QTest::newRow("dangling link") << "dangling" << err::NoSuchPort << "no such device";
    }
    void notATerminal() {
        QFETCH(QString, kind);
        QFETCH(int, error);
        QFETCH(QString, reason);

        const std::string file = sandbox_->root() + "/settings.txt";
        const std::string directory = sandbox_->root() + "/folder";
        const std::string content = "keep me\n";
        writeFile(file, content);
        QVERIFY(mkdir(directory.c_str(), 0755) == 0);

        std::string target = "/dev/null";
        if (kind == "file") target = file;
        if (kind == "directory") target = directory;
        if (kind == "dangling") target = "/dev/zz-unplugged";
        if (kind == "ptmx") target = "/dev/ptmx";
        QVERIFY(sandbox_->map(kPort, target));

        OpenWatch watch(kind == "directory" ? directory : file);
        QVERIFY(watch.ok());
        test::LinkRig rig(kPort, {lockDir_});
        const Status status = link::sendCommand(*rig.control, "1.0");
        QCOMPARE(status.number(), error);
        QCOMPARE(QString::fromStdString(status.text()),
                 "COM3 (" + QString::fromStdString(target) + "): " + reason);
        QVERIFY(!rig.control->isOpen());
        QVERIFY(!watch.touched());  // never even opened

        std::ifstream in(file, std::ios::binary);
        const std::string after((std::istreambuf_iterator<char>(in)), {});
        QCOMPARE(bytes(after), bytes(content));
    }

    void missingDevice() {
        // Port 200 without a map entry is /dev/ttyS199.
        struct stat st {};
        if (lstat("/dev/ttyS199", &st) == 0) QSKIP("this machine has /dev/ttyS199");
        test::LinkRig rig(200, {lockDir_});
        const Status status = link::sendCommand(*rig.control, "1.0");
        QCOMPARE(status.number(), err::NoSuchPort);
        QCOMPARE(status.text(), std::string("COM200 (/dev/ttyS199): no such device"));
        QVERIFY(!rig.control->isOpen());
    }

    void accessDenied() {
        if (geteuid() == 0) QSKIP("root opens every device: a permission refusal cannot be seen");
        mapPty(kPort, false);
        QVERIFY(chmod(pty_->slavePath().c_str(), 0) == 0);
        test::LinkRig rig(kPort, {lockDir_});
        const Status status = link::sendCommand(*rig.control, "1.0");
        QCOMPARE(status.number(), err::AccessDenied);
        QVERIFY2(status.text().find("permission denied - membership of the '") != std::string::npos,
                 status.text().c_str());
        expectNothingWritten();
    }
};

QTEST_APPLESS_MAIN(tst_LinkRefusals)
#include "tst_link_refusals.moc"
