// "Settings.txt" read and written in a scratch current directory, byte for byte.

#include "settings_file.h"

#include <QtTest>

using namespace zz;

namespace {

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void putFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

}  // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT

    QString home_;
    std::unique_ptr<QTemporaryDir> dir_;

private slots:
    void initTestCase() { home_ = QDir::currentPath(); }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(dir_->path()));
    }
    void cleanup() {
        QDir::setCurrent(home_);
        dir_.reset();
    }

    void pathFollowsCurrentDirectory() {
        QCOMPARE(settingsFilePath(), dir_->path() + "/Settings.txt");
        QTemporaryDir other;
        QVERIFY(QDir::setCurrent(other.path()));
        QCOMPARE(settingsFilePath(), other.path() + "/Settings.txt");
    }

    void missingFileIsCreatedEmptyAndGivesZero() {
        const StoredPort read = readStoredPort();
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
        putFile("Settings.txt", bytes);
        const StoredPort read = readStoredPort();
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
        putFile("Settings.txt", "old content that is longer than the new one\r\n");
        QVERIFY(writeStoredPort(port).ok());
        QCOMPARE(fileBytes("Settings.txt"), bytes);
        // No temporary file is left beside it.
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"Settings.txt"});
    }

    void roundTrip() {
        QVERIFY(writeStoredPort(20).ok());
        QCOMPARE(int(readStoredPort().port), 20);
    }

    // Tests run as root, so unusable paths are made from the file system's
    // shape rather than from permissions.
    void settingsNameIsADirectory() {
        QVERIFY(QDir().mkdir("Settings.txt"));
        const StoredPort read = readStoredPort();
        QVERIFY(!read.status.ok());
        QVERIFY2(QString::fromStdString(read.status.text()).contains("Settings.txt"),
                 read.status.text().c_str());
        const Status write = writeStoredPort(3);
        QVERIFY(!write.ok());
        QVERIFY(QFileInfo("Settings.txt").isDir());
    }

    void currentDirectoryRemoved() {
        QTemporaryDir gone;
        QVERIFY(QDir::setCurrent(gone.path()));
        QVERIFY(gone.remove());
        const StoredPort read = readStoredPort();
        QVERIFY(!read.status.ok());
        QVERIFY(!read.status.text().empty());
        QVERIFY(!writeStoredPort(3).ok());
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "test_settings_file.moc"
