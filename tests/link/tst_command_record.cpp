// The last-command record: written by every command that went out whole,
// shared by every path to the same device, read back only when it is one of
// ours, and kept only in a directory that is ours alone.

#include "link/command_record.h"
#include "link/port_map.h"
#include "link/serial_errors.h"
#include "link_rig.h"
#include "rig/environment.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

using namespace zz;
namespace fs = std::filesystem;

class tst_CommandRecord : public test::PtyLinkFixture {
    Q_OBJECT

public:
    tst_CommandRecord() : PtyLinkFixture(3) {}

private slots:
    // Sent through port 3, read through a second map entry and a link to the
    // same device; a failed command leaves the record as it was.
    void sendsAreRecordedPerDevice() {
        link::setSenderName("6175ZIZ-ctl");
        test::LinkRig rig(3);
        QVERIFY(link::sendCommand(*rig.control, "01234.5").ok());
        QVERIFY(sandbox_->map(7, pty_->slavePath()));
        const std::string link = sandbox_->root() + "/link";
        fs::create_symlink(link::portMapEntry(7), link);

        for (const std::string &path : {link::portMapEntry(7), link}) {
            const auto record = link::readCommandRecord(path);
            QVERIFY(record);
            QCOMPARE(record->command, std::string("01234.5"));
            QCOMPARE(record->program, std::string("6175ZIZ-ctl"));
            QCOMPARE(record->pid, long(getpid()));
        }
        pty_->stall();
        QCOMPARE(link::sendCommand(*rig.control, "00001.0").number(),
                 link::serial_error::WriteTimeout);
        QCOMPARE(link::readCommandRecord(link)->command, std::string("01234.5"));
        QVERIFY(link::readCommandRecord(sandbox_->root() + "/no-device") == std::nullopt);
    }

    // A directory others could write into, or a link to one, is not used.
    void sharedDirectoryRefused_data() {
        QTest::addColumn<bool>("asLink");
        QTest::newRow("open to others") << false;
        QTest::newRow("a link") << true;
    }
    void sharedDirectoryRefused() {
        QFETCH(bool, asLink);
        const std::string records = sandbox_->runtimeDirectory() + "/6175ZIZ";
        if (asLink) {
            fs::create_directory(sandbox_->root() + "/elsewhere");
            fs::create_directory_symlink(sandbox_->root() + "/elsewhere", records);
        } else {
            fs::create_directory(records);
            ::chmod(records.c_str(), 0777);
        }
        test::LinkRig rig(3);
        QVERIFY(link::sendCommand(*rig.control, "00001.0").ok());
        QCOMPARE(link::commandRecordDirectory(), std::string());
        QVERIFY(fs::is_empty(asLink ? sandbox_->root() + "/elsewhere" : records));
    }

    // $XDG_RUNTIME_DIR when it is absolute, else a folder of the user's own
    // under $TMPDIR.
    void directoryChoice_data() {
        QTest::addColumn<QString>("runtime");  // "@": the test's scratch folder
        QTest::addColumn<QString>("expected");
        const QString own = QStringLiteral("@/6175ZIZ-%1").arg(geteuid());
        QTest::newRow("runtime directory") << "@/runtime"
                                           << "@/runtime/6175ZIZ";
        QTest::newRow("none: temporary directory") << QString() << own;
        QTest::newRow("relative: temporary directory") << "run/user" << own;
    }
    void directoryChoice() {
        QFETCH(QString, runtime);
        QFETCH(QString, expected);
        const QString root = QString::fromStdString(sandbox_->root());
        const QByteArray value = runtime.replace('@', root).toLocal8Bit();
        rig::EnvOverride runtimeDir("XDG_RUNTIME_DIR", runtime.isEmpty() ? nullptr : value.data());
        rig::EnvOverride tmpDir("TMPDIR", sandbox_->root().c_str());
        QCOMPARE(QString::fromStdString(link::commandRecordDirectory()),
                 expected.replace('@', root));
    }

    void parse_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        const QByteArray good =
            "command 00555.5\ntime 1765118324123\nprogram 6175ZIZ-ctl\npid 42\n";
        QTest::newRow("ours") << good << true;
        QTest::newRow("no final line end") << good.chopped(1) << false;
        QTest::newRow("a line more") << good + "x\n" << false;
        QTest::newRow("field missing") << QByteArray("command 1\ntime 1\npid 42\n") << false;
        QTest::newRow("fields swapped")
            << QByteArray("time 1\ncommand 1\nprogram p\npid 42\n") << false;
        QTest::newRow("pid not a number") << QByteArray(good).replace("pid 42", "pid 4x") << false;
        QTest::newRow("pid zero") << QByteArray(good).replace("pid 42", "pid 0") << false;
        QTest::newRow("time empty") << QByteArray(good).replace("1765118324123", "") << false;
        QTest::newRow("blank in command")
            << QByteArray(good).replace("00555.5", "005 55.5") << false;
        QTest::newRow("control byte")
            << QByteArray(good).replace("6175ZIZ-ctl", "6175\x1b[2J") << false;
        // The printable ASCII range ends to end: '!' and '~' are kept.
        QTest::newRow("first and last printable")
            << QByteArray(good).replace("6175ZIZ-ctl", "!probe~") << true;
        QTest::newRow("too long") << QByteArray(good).replace("00555.5", QByteArray(600, '1'))
                                  << false;
    }
    void parse() {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        const auto record = link::parseRecordText(text.toStdString());
        QCOMPARE(record.has_value(), valid);
        if (valid) QCOMPARE(QByteArray::fromStdString(link::recordText(*record)), text);
    }
};

QTEST_GUILESS_MAIN(tst_CommandRecord)
#include "tst_command_record.moc"
