// Where port numbers lead: the configuration directory, the map entries and
// the operator's one-line description.

#include "link/port_map.h"
#include "rig/environment.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"

#include <QtTest>

#include <sys/stat.h>

using namespace zz;
using zz::rig::EnvOverride;

namespace {

QString q(const std::string &s) {
    return QString::fromStdString(s);
}

}  // namespace

class tst_PortMap : public QObject {
    Q_OBJECT

private slots:
    void configDirectory_data() {
        QTest::addColumn<QByteArray>("xdg");  // null: unset
        QTest::addColumn<QString>("expected");
        QTest::newRow("absolute") << QByteArray("/etc/xdg-here") << "/etc/xdg-here/6175ZIZ/ports";
        QTest::newRow("unset") << QByteArray() << "/home/op/.config/6175ZIZ/ports";
        QTest::newRow("empty") << QByteArray("") << "/home/op/.config/6175ZIZ/ports";
        QTest::newRow("relative") << QByteArray("conf") << "/home/op/.config/6175ZIZ/ports";
    }
    void configDirectory() {
        QFETCH(QByteArray, xdg);
        QFETCH(QString, expected);
        zz::rig::EnvOverride home("HOME", "/home/op");
        zz::rig::EnvOverride config("XDG_CONFIG_HOME", xdg.isNull() ? nullptr : xdg.constData());
        QCOMPARE(q(link::portMapDirectory()), expected);
        QCOMPARE(q(link::portMapEntry(7)), expected + "/com7");
    }

    void sandboxIsTheMap() {
        rig::PortMapSandbox sandbox;
        QVERIFY(sandbox.ok());
        QCOMPARE(q(link::portMapDirectory()), q(sandbox.mapDirectory()));
    }

    void devicePath_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("entry");  // empty: no entry; "@": a regular file
        QTest::addColumn<bool>("throughEntry");
        QTest::newRow("no entry, port 1") << 1 << "" << false;
        QTest::newRow("no entry, port 255") << 255 << "" << false;
        QTest::newRow("link to a device") << 3 << "/dev/null" << true;
        QTest::newRow("dangling link") << 4 << "/dev/zz-gone" << true;
        QTest::newRow("plain file") << 5 << "@" << true;
    }
    void devicePath() {
        QFETCH(int, port);
        QFETCH(QString, entry);
        QFETCH(bool, throughEntry);
        rig::PortMapSandbox sandbox;
        QVERIFY(sandbox.ok());
        const std::string entryPath = sandbox.mapDirectory() + "/com" + std::to_string(port);
        if (entry == "@")
            QVERIFY(QFile(q(entryPath)).open(QIODevice::WriteOnly));
        else if (!entry.isEmpty())
            QVERIFY(sandbox.map(port, entry.toStdString()));

        const QString expected =
            throughEntry ? q(entryPath) : "/dev/ttyS" + QString::number(port - 1);
        QCOMPARE(q(link::portDevicePath(port)), expected);
    }

    void describe_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");  // %1: the pty, %2: the entry as shown
        QTest::newRow("mapped") << "direct"
                                << "COM3 \u2192 %1 (via %2)";
        QTest::newRow("through two links") << "chain"
                                           << "COM3 \u2192 %1 (via %2)";
        QTest::newRow("under home") << "home"
                                    << "COM3 \u2192 %1 (via ~/6175ZIZ/ports/com3)";
        QTest::newRow("dangling") << "dangling"
                                  << "COM3 \u2192 not present";
        QTest::newRow("unmapped, absent") << "absent"
                                          << "COM3 \u2192 not present";
    }
    void describe() {
        QFETCH(QString, how);
        QFETCH(QString, expected);
        rig::PtyPair pty;
        rig::PortMapSandbox sandbox;
        QVERIFY(pty.ok() && sandbox.ok());
        zz::rig::EnvOverride home("HOME", how == "home" ? sandbox.root().c_str() : "/home/op");
        const std::string alias = sandbox.root() + "/alias";
        if (how == "chain") {
            QVERIFY(symlink(pty.slavePath().c_str(), alias.c_str()) == 0);
            QVERIFY(sandbox.map(3, alias));
        } else if (how == "dangling") {
            QVERIFY(sandbox.map(3, "/dev/zz-gone"));
        } else if (how == "absent") {
            struct stat st {};
            if (stat("/dev/ttyS2", &st) == 0) QSKIP("this machine has /dev/ttyS2");
        } else {
            QVERIFY(sandbox.map(3, pty.slavePath()));
        }
        QString wanted = expected;
        wanted.replace("%1", q(pty.slavePath())).replace("%2", q(sandbox.mapDirectory() + "/com3"));
        QCOMPARE(q(link::describePort(3)), wanted);
    }
};

QTEST_APPLESS_MAIN(tst_PortMap)
#include "tst_port_map.moc"
