// Reading UUCP lock files: which names guard a device, which contents name a
// process, and which locks still count.

#include "link/uucp_lock_posix.h"
#include "support/bytes.h"
#include "support/lock_files.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

using namespace zz;
using zz::test::binaryPid;
using zz::test::deadPid;
using zz::test::writeFile;

class tst_UucpLock : public QObject {
    Q_OBJECT

private slots:
    void lockFileNames_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("usb adapter") << "/dev/ttyUSB0" << QStringList{"LCK..ttyUSB0"};
        QTest::newRow("pseudo-terminal") << "/dev/pts/5" << QStringList{"LCK..5", "LCK..pts_5"};
        QTest::newRow("deeper folder") << "/dev/a/b/c" << QStringList{"LCK..c", "LCK..a_b_c"};
        QTest::newRow("outside /dev") << "/tmp/x" << QStringList{"LCK..x"};
    }
    void lockFileNames() {
        QFETCH(QString, device);
        QFETCH(QStringList, names);
        QStringList got;
        for (const auto &n : link::uucp::lockFileNames(device.toStdString()))
            got << QString::fromStdString(n);
        QCOMPARE(got, names);
    }

    void lockFilePid_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("pid");
        QTest::newRow("padded ascii") << QByteArray("      1234\n") << 1234;
        QTest::newRow("bare ascii") << QByteArray("1234") << 1234;
        QTest::newRow("ascii with newline") << QByteArray("77\n") << 77;
        QTest::newRow("tab padded") << QByteArray("\t  99\n") << 99;
        QTest::newRow("binary") << binaryPid(4321) << 4321;
        QTest::newRow("binary that looks short") << binaryPid(7) << 7;
        QTest::newRow("binary negative") << binaryPid(-3) << 0;
        QTest::newRow("text of four letters") << QByteArray("abc\n") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("blanks only") << QByteArray("    \n") << 0;
        QTest::newRow("zero") << QByteArray("0\n") << 0;
        QTest::newRow("negative ascii") << QByteArray("-5\n") << 0;
        QTest::newRow("too large") << QByteArray("99999999999\n") << 0;
    }
    void lockFilePid() {
        QFETCH(QByteArray, content);
        QFETCH(int, pid);
        QCOMPARE(link::uucp::lockFilePid(std::string_view(content.constData(), content.size())),
                 long(pid));
    }

    void findLiveLock_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("inSecondDirectory");
        QTest::addColumn<bool>("counts");
        // pid 1 is always alive.
        QTest::newRow("classic name")
            << "LCK..pts_5" << QByteArray("         1\n") << false << true;
        QTest::newRow("base name") << "LCK..5" << QByteArray("1\n") << false << true;
        QTest::newRow("binary pid") << "LCK..pts_5" << binaryPid(1) << false << true;
        QTest::newRow("second directory") << "LCK..pts_5" << QByteArray("1\n") << true << true;
        QTest::newRow("dead process")
            << "LCK..pts_5" << QByteArray::number(qlonglong(deadPid())) << false << false;
        QTest::newRow("our own process")
            << "LCK..pts_5" << QByteArray::number(qlonglong(getpid())) << false << false;
        QTest::newRow("unreadable content") << "LCK..pts_5" << QByteArray("junk") << false << false;
        QTest::newRow("another device") << "LCK..pts_6" << QByteArray("1\n") << false << false;
    }
    void findLiveLock() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, inSecondDirectory);
        QFETCH(bool, counts);

        QTemporaryDir first, second;
        QVERIFY(first.isValid() && second.isValid());
        const QString path = (inSecondDirectory ? second : first).filePath(name);
        QVERIFY(writeFile(path, content));

        const auto holder =
            link::uucp::LockFileCheck({first.path().toStdString(), second.path().toStdString()})
                .find("/dev/pts/5");
        QCOMPARE(holder.has_value(), counts);
        if (counts) {
            QCOMPARE(holder->pid, 1L);
            QCOMPARE(QString::fromStdString(holder->lockFile), path);
        }
    }

    // A check repeated on an unchanged directory may skip reading it; a lock
    // that appears later, or a stale one rewritten in place, must still count.
    void repeatedCheck_data() {
        QTest::addColumn<QByteArray>("before");  // empty: no lock file at first
        QTest::newRow("lock file appears") << QByteArray();
        QTest::newRow("stale lock rewritten in place")
            << QByteArray::number(qlonglong(deadPid())) + "\n";
    }
    void repeatedCheck() {
        QFETCH(QByteArray, before);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString lock = dir.filePath("LCK..pts_5");
        if (!before.isEmpty()) QVERIFY(writeFile(lock, before));
        // Last changed long ago, so that the directory counts as settled.
        const timespec past[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
        QVERIFY(utimensat(AT_FDCWD, dir.path().toLocal8Bit().constData(), past, 0) == 0);

        link::uucp::LockFileCheck check({dir.path().toStdString()});
        QVERIFY(!check.find("/dev/pts/5"));
        QVERIFY(!check.find("/dev/pts/5"));
        QVERIFY(writeFile(lock, "         1\n"));
        const auto holder = check.find("/dev/pts/5");
        QVERIFY(holder.has_value());
        QCOMPARE(holder->pid, 1L);
    }

    void missingDirectoriesAreSkipped() {
        QVERIFY(!link::uucp::LockFileCheck({"/nonexistent/lock", ""}).find("/dev/pts/5"));
    }
};

QTEST_APPLESS_MAIN(tst_UucpLock)
#include "tst_uucp_lock.moc"
