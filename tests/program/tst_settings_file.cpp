// "Settings.txt" read and written in a scratch current directory, byte for byte.

#include "program/stored_port.h"
#include "support/bytes.h"
#include "support/scratch_directory.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <future>

using namespace zz;
using zz::test::fileBytes;
using zz::test::writeFile;

class tst_SettingsFile : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ScratchCurrentDirectory> scratch_;

private slots:
    void init() {
        scratch_ = std::make_unique<test::ScratchCurrentDirectory>();
        QVERIFY(scratch_->ok());
    }
    void cleanup() {
        ::chmod(qPrintable(scratch_->path()), 0700);  // after "read-only directory"
        scratch_.reset();
    }

    void pathFollowsCurrentDirectory() {
        QCOMPARE(QString::fromStdString(program::settingsPath()),
                 scratch_->path() + "/Settings.txt");
        QTemporaryDir other;
        QVERIFY(QDir::setCurrent(other.path()));
        QCOMPARE(QString::fromStdString(program::settingsPath()), other.path() + "/Settings.txt");
    }

    void missingFileIsCreatedEmptyAndGivesZero() {
        const program::StoredPort read = program::readStoredPort();
        QVERIFY(read.status.ok());
        QCOMPARE(int(read.port), 0);
        QCOMPARE(fileBytes("Settings.txt"), QByteArray());
    }

    void reading_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("port");
        QTest::newRow("3 CR LF") << QByteArray("3\r\n") << 3;
        QTest::newRow("12 CR LF") << QByteArray("12\r\n") << 12;
        QTest::newRow("20") << QByteArray("20\r\n") << 20;
        QTest::newRow("three digits read as two") << QByteArray("123\r\n") << 12;
        QTest::newRow("blank then 7") << QByteArray(" 7") << 7;
        QTest::newRow("lone 7") << QByteArray("7") << 7;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("zero") << QByteArray("0\r\n") << 0;
        QTest::newRow("letter first") << QByteArray("x3\r\n") << 0;
        QTest::newRow("negative") << QByteArray("-4\r\n") << -4;
        QTest::newRow("tail ignored") << QByteArray("5\r\ngarbage 99") << 5;
        QTest::newRow("null bytes") << QByteArray("\0\0", 2) << 0;
    }
    void reading() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, port);
        QVERIFY(writeFile("Settings.txt", bytes));
        const program::StoredPort read = program::readStoredPort();
        QVERIFY(read.status.ok());
        QCOMPARE(int(read.port), port);
        QCOMPARE(fileBytes("Settings.txt"), bytes);  // reading never changes the file
    }

    void writing_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("3") << 3 << QByteArray("\x33\x0d\x0a");
        QTest::newRow("12") << 12 << QByteArray("12\r\n");
        QTest::newRow("20") << 20 << QByteArray("\x32\x30\x0d\x0a");
        QTest::newRow("255") << 255 << QByteArray("255\r\n");
    }
    void writing() {
        QFETCH(int, port);
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile("Settings.txt", "old content that is longer than the new one\r\n"));
        QVERIFY(program::writeStoredPort(port).ok());
        QCOMPARE(fileBytes("Settings.txt"), bytes);
        // No temporary file is left beside it.
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"Settings.txt"});
    }

    // The file is replaced by a new one: it keeps the old one's permissions,
    // and a new file gets the umask's.
    void replacedFileKeepsItsPermissions_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("mode");
        QTest::newRow("existing, owner only") << true << 0600;
        QTest::newRow("existing, group reads") << true << 0640;
        QTest::newRow("new, umask 022") << false << 0644;
    }
    void replacedFileKeepsItsPermissions() {
        QFETCH(bool, exists);
        QFETCH(int, mode);
        if (exists)
            QVERIFY(writeFile("Settings.txt", "4\r\n") && ::chmod("Settings.txt", mode) == 0);
        const mode_t mask = ::umask(022);
        const bool written = program::writeStoredPort(5).ok();
        ::umask(mask);
        QVERIFY(written);
        struct stat st {};
        QVERIFY(::stat("Settings.txt", &st) == 0);
        QCOMPARE(int(st.st_mode & 07777), mode);
    }

    void roundTrip() {
        QVERIFY(program::writeStoredPort(20).ok());
        QCOMPARE(int(program::readStoredPort().port), 20);
    }

    // Tests run as root, so unusable paths are made from the file system's
    // shape rather than from permissions.
    void settingsNameIsADirectory() {
        QVERIFY(QDir().mkdir("Settings.txt"));
        const program::StoredPort read = program::readStoredPort();
        QVERIFY(!read.status.ok());
        QVERIFY2(QString::fromStdString(read.status.text()).contains("Settings.txt"),
                 read.status.text().c_str());
        const Status write = program::writeStoredPort(3);
        QVERIFY(!write.ok());
        QVERIFY(QFileInfo("Settings.txt").isDir());
    }

    // Whatever "Settings.txt" names: the port read (-1: refused) and whether 7
    // is stored, as an unprivileged user; only a regular file is ever replaced.
    void kindsOfPath_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("stored");
        QTest::newRow("regular file") << "regular file" << 4 << true;
        QTest::newRow("missing") << "missing" << 0 << true;
        QTest::newRow("link to a file") << "link to a file" << 4 << true;
        QTest::newRow("link to nothing") << "link to nothing" << 0 << true;
        QTest::newRow("FIFO") << "FIFO" << -1 << false;
        QTest::newRow("link to a FIFO") << "link to a FIFO" << -1 << false;
        QTest::newRow("device node") << "device node" << -1 << false;
        QTest::newRow("link to a device node") << "link to a device node" << -1 << false;
        QTest::newRow("directory") << "directory" << -1 << false;
        QTest::newRow("read-only file") << "read-only file" << 4 << false;
        QTest::newRow("read-only directory") << "read-only directory, writable file" << 4 << true;
    }
    void kindsOfPath() {
        QFETCH(QString, kind);
        QFETCH(int, port);
        QFETCH(bool, stored);
        const QByteArray at = kind.startsWith("link") ? "target" : "Settings.txt";
        if (kind.endsWith("FIFO")) QVERIFY(::mkfifo(at, 0666) == 0);
        if (kind.endsWith("node") && ::mknod(at, S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("no device nodes can be made here");
        if (kind == "directory") QVERIFY(QDir().mkdir(at));
        if (kind.endsWith("file")) QVERIFY(writeFile(at, "4\r\n"));
        if (at != "Settings.txt") QVERIFY(QFile::link(at, "Settings.txt"));
        ::chmod(at, kind == "read-only file" ? 0444 : 0666);
        ::chmod(".", kind.startsWith("read-only directory") ? 0555 : 0777);

        auto run = std::async(std::launch::async, [] {
            ::setfsuid(65534);  // this thread only: permissions bind again
            const auto outcome = std::pair{program::readStoredPort(), program::writeStoredPort(7)};
            ::setfsuid(::geteuid());
            return outcome;
        });
        if (run.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            const int fifo = ::open("Settings.txt", O_WRONLY | O_NONBLOCK);  // frees the reader
            QVERIFY(::write(fifo, std::string(1 << 16, '0').data(), 1 << 16) > 0 && !::close(fifo));
            QFAIL("reading blocked");
        }
        const auto [read, write] = run.get();
        QVERIFY2(read.status.ok() == (port >= 0), read.status.text().c_str());
        QVERIFY(port >= 0 || read.status.text().find("not a regular file") != std::string::npos);
        QCOMPARE(int(read.port), std::max(port, 0));
        QVERIFY2(write.ok() == stored, write.text().c_str());
        const QFileInfo now("Settings.txt");
        QCOMPARE(now.isSymLink(), at != "Settings.txt");
        QCOMPARE(now.isFile(), port >= 0);  // nothing else was replaced by a file
        if (now.isFile()) QCOMPARE(fileBytes("Settings.txt"), stored ? "7\r\n" : "4\r\n");
    }

    void currentDirectoryRemoved() {
        QTemporaryDir gone;
        QVERIFY(QDir::setCurrent(gone.path()));
        QVERIFY(gone.remove());
        const program::StoredPort read = program::readStoredPort();
        QVERIFY(!read.status.ok());
        QVERIFY(!read.status.text().empty());
        QVERIFY(!program::writeStoredPort(3).ok());
    }
};

QTEST_GUILESS_MAIN(tst_SettingsFile)
#include "tst_settings_file.moc"
