// The simulator as a process: it publishes its terminal in the port map,
// reports what sendCommand sends, and cleans up only its own entry.

#include "link/port_map.h"
#include "link/serial_control.h"
#include "rig/environment.h"

#include <QtTest>

#include <filesystem>

namespace fs = std::filesystem;

class tst_Simulator : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> config_;
    std::unique_ptr<zz::rig::EnvOverride> configHome_;

    QString entry(int port) const { return QString::fromStdString(zz::link::portMapEntry(port)); }

    bool waitForEntry(int port) {
        return QTest::qWaitFor([&] { return QFileInfo(entry(port)).isSymLink(); }, 5000);
    }

    static QString readLine(QProcess &p) {
        if (!p.canReadLine()) p.waitForReadyRead(5000);
        return QString::fromUtf8(p.readLine()).trimmed();
    }

private slots:
    void init() {
        config_ = std::make_unique<QTemporaryDir>();
        configHome_ = std::make_unique<zz::rig::EnvOverride>("XDG_CONFIG_HOME",
                                                             config_->path().toUtf8().constData());
    }
    void cleanup() {
        configHome_.reset();
        config_.reset();
    }

    void reportsEveryFrameAndRemovesItsEntry() {
        QProcess sim;
        sim.start(SIM_PATH, {"--port", "4"});
        QVERIFY(sim.waitForStarted());
        QVERIFY(waitForEntry(4));
        QVERIFY(readLine(sim).contains("COM4"));

        zz::link::SerialControl control;
        QVERIFY(control.setPort(4).ok());
        QVERIFY(zz::link::sendCommand(control, "10000").ok());
        QVERIFY(zz::link::sendCommand(control, "01234.5").ok());

        const QString first = readLine(sim);
        QVERIFY2(first.contains("\"10000\\r\"  10000.0 ohm") && !first.contains("MALFORMED"),
                 qPrintable(first));
        const QString second = readLine(sim);
        QVERIFY2(second.contains("\"01234.5\\r\"  1234.5 ohm"), qPrintable(second));

        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(entry(4)) && !QFileInfo(entry(4)).isSymLink());
    }

    void flagsMalformedFrames() {
        QProcess sim;
        sim.start(SIM_PATH, {"--port", "2"});
        QVERIFY(sim.waitForStarted());
        QVERIFY(waitForEntry(2));
        readLine(sim);
        zz::link::SerialControl control;
        QVERIFY(control.setPort(2).ok());
        QVERIFY(zz::link::sendCommand(control, "-00012.0").ok());
        const QString line = readLine(sim);
        QVERIFY2(line.contains("MALFORMED: not a decimal number"), qPrintable(line));
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }

    void leavesForeignEntriesAlone() {
        QVERIFY(QDir().mkpath(QFileInfo(entry(3)).path()));
        QVERIFY(QFile::link("/dev/ttyUSB7", entry(3)));

        QProcess refused;
        refused.start(SIM_PATH, {"--port", "3"});
        QVERIFY(refused.waitForFinished(5000));
        QCOMPARE(refused.exitCode(), 1);
        QVERIFY(refused.readAllStandardError().contains("--replace"));
        QCOMPARE(QFileInfo(entry(3)).symLinkTarget(), QStringLiteral("/dev/ttyUSB7"));

        // Replaced on request, then the user's link is back to nothing of the
        // simulator's once it ends; an entry changed meanwhile is not removed.
        QProcess sim;
        sim.start(SIM_PATH, {"--port", "3", "--replace"});
        QVERIFY(sim.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] { return QFileInfo(entry(3)).symLinkTarget().startsWith("/dev/pts/"); }, 5000));
        QVERIFY(QFile::remove(entry(3)));
        QVERIFY(QFile::link("/dev/ttyUSB9", entry(3)));
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(QFileInfo(entry(3)).symLinkTarget(), QStringLiteral("/dev/ttyUSB9"));
    }
};

QTEST_GUILESS_MAIN(tst_Simulator)
#include "tst_simulator.moc"
