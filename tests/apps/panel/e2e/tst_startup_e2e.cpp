// The real 6175ZIZ program started the way an operator starts it, on a private
// X server with a pseudo-terminal as its port: the exact bytes at the far end,
// the windows in the order they appear, the settings file, the exit status.

#include "e2e_fixture.h"
#include "rig/port_holder.h"

#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <thread>

using namespace zz::rig;

using namespace zz::test;
using namespace std::chrono;
using namespace std::chrono_literals;

namespace {

constexpr auto kWait = kE2eWait;
// "10000" and one carriage return, nothing else.
QByteArray startCommand() {
    return QByteArray::fromHex("31303030300D");
}

QByteArray bytes(const std::optional<std::string> &s) {
    return s ? zz::test::bytes(*s) : QByteArray("<no file>");
}

qsizetype indexOf(const std::vector<std::string> &titles, const std::string &title) {
    const auto at = std::find(titles.begin(), titles.end(), title);
    return at == titles.end() ? -1 : qsizetype(at - titles.begin());
}

}  // namespace

class tst_StartupE2e : public EndToEndFixture {
    Q_OBJECT

    // OK in the dialog with port 1 in its box: the file holds exactly "1" CR LF,
    // the panel comes up with its one start command, and its Exit ends the
    // program with nothing more sent.
    void confirmPortOneThenExit(const zz::rig::TopWindow &dialog) {
        CHECK_STEP(press(dialog, "alt+o"));
        QVERIFY2(x_->waitGone(dialog.id, kWait), "the dialog stays after OK");
        CHECK_STEP(expectPanelWithStartCommand());
        QCOMPARE(bytes(run_->settingsBytes()), QByteArray("1\r\n"));

        const auto panel = x_->find(kPanelTitle);
        QVERIFY(panel);
        CHECK_STEP(press(*panel, "alt+e"));
        CHECK_STEP(expectExit(0));
        QCOMPARE(sentSoFar(), QByteArray());
    }

private slots:
    void normalStartThenExit_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("readOnly");  // the settings file
        QTest::newRow("panel's Exit button (Alt+E)") << false << false;
        QTest::newRow("panel's close box") << true << false;
        QTest::newRow("read-only settings file") << false << true;
    }
    void normalStartThenExit() {
        QFETCH(bool, closeBox);
        QFETCH(bool, readOnly);
        QVERIFY(run_->writeSettings("1\r\n"));
        if (readOnly && !run_->makeSettingsImmutable())
            QSKIP("no immutable flag on this file system");
        CHECK_STEP(startProgram());

        const QByteArray first = receive(startCommand().size());
        const auto arrived = steady_clock::now() - run_->process().startedAt();
        QCOMPARE(first, startCommand());
        QVERIFY2(arrived > 2s, qPrintable(QStringLiteral("the start command came %1 ms after "
                                                         "the start, within the start screen's "
                                                         "two seconds")
                                              .arg(duration_cast<milliseconds>(arrived).count())));

        const auto panel = x_->waitFor(kPanelTitle, kWait, whenEnded());
        QVERIFY2(panel, qPrintable(context()));
        QVERIFY2(!x_->find(kStartScreenTitle), "the start screen stays up with the panel");
        const auto log = x_->mapLog();
        QVERIFY2(indexOf(log, kStartScreenTitle) == 0, qPrintable(context()));
        QVERIFY2(indexOf(log, kDialogTitle) < 0, qPrintable(context()));
        QCOMPARE(sentSoFar(), QByteArray());

        if (closeBox)
            QVERIFY(x_->requestClose(panel->id));
        else
            CHECK_STEP(press(*panel, "alt+e"));
        CHECK_STEP(expectExit(0));
        QCOMPARE(sentSoFar(), QByteArray());
        QCOMPARE(bytes(run_->settingsBytes()), QByteArray("1\r\n"));
    }

    // As the desktop menu starts it: the settings file is the one in the
    // configuration folder, and none appears in the current directory.
    void settingsInConfigHome() {
        const std::string folder = ports_->root() + "/6175ZIZ";
        QVERIFY(writeFile(QString::fromStdString(folder + "/Settings.txt"), "1\r\n"));
        CHECK_STEP(startProgram({"--settings-in-config-home"}));
        CHECK_STEP(expectPanelWithStartCommand());
        QVERIFY(!run_->settingsBytes());
        run_->process().signal(SIGTERM);
        CHECK_STEP(expectExit(128 + SIGTERM));
    }

    // No usable port number stored: the dialog comes first; confirming the
    // preset port 1 stores it and start-up goes on to the panel.
    void dialogFirstThenConfirm_data() {
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("whileAsking");  // the file while the dialog is up
        QTest::newRow("no settings file") << false << QByteArray() << QByteArray("");
        QTest::newRow("0") << true << QByteArray("0\r\n") << QByteArray("0\r\n");
        QTest::newRow("empty file") << true << QByteArray("") << QByteArray("");
        QTest::newRow("not a number") << true << QByteArray("x1\r\n") << QByteArray("x1\r\n");
    }
    void dialogFirstThenConfirm() {
        QFETCH(bool, hasFile);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, whileAsking);
        if (hasFile) QVERIFY(run_->writeSettings(stored.toStdString()));
        CHECK_STEP(startProgram());

        const auto dialog = x_->waitFor(kDialogTitle, kWait, whenEnded());
        QVERIFY2(dialog, qPrintable(context()));
        const auto log = x_->mapLog();
        QVERIFY2(indexOf(log, kStartScreenTitle) == 0, qPrintable(context()));
        QVERIFY2(!x_->everShown(kPanelTitle), qPrintable(context()));
        QCOMPARE(bytes(run_->settingsBytes()), whileAsking);
        QCOMPARE(sentSoFar(), QByteArray());

        CHECK_STEP(confirmPortOneThenExit(*dialog));  // the box is preset to port 1
    }

    // The dialog's Exit during start-up ends the program there: no panel,
    // nothing sent, status 0, the settings file as it was.
    void exitFromDialogAtStart_data() {
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("absentPort");  // mapped to a device that does not exist
        QTest::addColumn<bool>("busy");       // port 1 held by another program
        QTest::newRow("no settings file") << false << QByteArray() << 0 << false;
        QTest::newRow("0") << true << QByteArray("0\r\n") << 0 << false;
        QTest::newRow("absent port 7") << true << QByteArray("7\r\n") << 7 << false;
        QTest::newRow("negative port -4") << true << QByteArray("-4") << 0 << false;
        QTest::newRow("negative port -9 with CR LF") << true << QByteArray("-9\r\n") << 0 << false;
        QTest::newRow("busy port 1") << true << QByteArray("1\r\n") << 0 << true;
    }
    void exitFromDialogAtStart() {
        QFETCH(bool, hasFile);
        QFETCH(QByteArray, stored);
        QFETCH(int, absentPort);
        QFETCH(bool, busy);
        if (hasFile) QVERIFY(run_->writeSettings(stored.toStdString()));
        if (absentPort) QVERIFY(ports_->map(absentPort, ports_->root() + "/no-such-device"));
        std::unique_ptr<zz::rig::PortHolder> holder;
        if (busy) {
            holder = std::make_unique<zz::rig::PortHolder>(pty_->slavePath());
            QVERIFY(holder->ok());
        }
        CHECK_STEP(startProgram());

        const auto dialog = x_->waitFor(kDialogTitle, kWait, whenEnded());
        QVERIFY2(dialog, qPrintable(context()));
        QVERIFY2(indexOf(x_->mapLog(), kStartScreenTitle) == 0, qPrintable(context()));
        QVERIFY2(!x_->everShown(kPanelTitle), qPrintable(context()));
        QCOMPARE(sentSoFar(), QByteArray());

        CHECK_STEP(press(*dialog, "alt+e"));
        CHECK_STEP(expectExit(0));
        QVERIFY2(!x_->everShown(kPanelTitle), qPrintable(context()));
        QCOMPARE(sentSoFar(), QByteArray());
        QCOMPARE(bytes(run_->settingsBytes()), hasFile ? stored : QByteArray(""));
    }

    // A stored port that cannot be used: the dialog asks again; choosing a
    // working port goes straight on to the panel on that port.
    void unusableStoredPortThenOther_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("absentPort");
        QTest::newRow("absent port 7") << QByteArray("7\r\n") << 7;
        QTest::newRow("negative port -4") << QByteArray("-4") << 0;
        QTest::newRow("absent port 30 without CR LF") << QByteArray("30") << 30;
    }
    void unusableStoredPortThenOther() {
        QFETCH(QByteArray, stored);
        QFETCH(int, absentPort);
        QVERIFY(run_->writeSettings(stored.toStdString()));
        if (absentPort) QVERIFY(ports_->map(absentPort, ports_->root() + "/no-such-device"));
        CHECK_STEP(startProgram());

        const auto dialog = x_->waitFor(kDialogTitle, kWait, whenEnded());
        QVERIFY2(dialog, qPrintable(context()));
        QVERIFY2(!x_->everShown(kPanelTitle), qPrintable(context()));
        QCOMPARE(sentSoFar(), QByteArray());

        // The port box: COM<n> in the middle of the dialog.
        QVERIFY2(x_->click(dialog->id, 215, 74), "xdotool could not click (is it installed?)");
        CHECK_STEP(press(*dialog, "ctrl+a"));
        QVERIFY(x_->type(dialog->id, "1"));
        CHECK_STEP(confirmPortOneThenExit(*dialog));
    }

    // The panel's menu: About shows the start screen until OK; COM Port shows
    // the dialog, whose "&Close" ends the whole program, sending nothing.
    void panelMenuCommands() {
        QVERIFY(run_->writeSettings("1\r\n"));
        CHECK_STEP(startProgram());
        CHECK_STEP(expectPanelWithStartCommand());
        const auto panel = x_->find(kPanelTitle);
        QVERIFY(panel);

        QVERIFY2(x_->click(panel->id, 97, 9), "xdotool could not click (is it installed?)");
        const auto about = x_->waitFor(kStartScreenTitle, kWait, whenEnded());
        QVERIFY2(about, qPrintable(context()));
        CHECK_STEP(press(*about, "alt+o"));
        QVERIFY2(x_->waitGone(about->id, kWait), "the About box stays after OK");
        QVERIFY(!ended());

        QVERIFY(x_->click(panel->id, 30, 9));
        const auto dialog = x_->waitFor(kDialogTitle, kWait, whenEnded());
        QVERIFY2(dialog, qPrintable(context()));
        CHECK_STEP(press(*dialog, "alt+c"));
        CHECK_STEP(expectExit(0));
        QCOMPARE(sentSoFar(), QByteArray());
        QCOMPARE(bytes(run_->settingsBytes()), QByteArray("1\r\n"));
    }

    // A settings file that cannot be opened or created: a message, then an
    // exit with a non-zero status; never a silent end or a crash.
    void settingsFileUnusable_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Settings.txt is a directory") << QStringLiteral("directory");
        QTest::newRow("Settings.txt links into a missing directory") << QStringLiteral("dangling");
        QTest::newRow("unwritable working directory") << QStringLiteral("read-only");
        QTest::newRow("Settings.txt is a FIFO") << QStringLiteral("fifo");
        QTest::newRow("Settings.txt links to a device node") << QStringLiteral("node");
    }
    void settingsFileUnusable() {
        QFETCH(QString, how);
        namespace fs = std::filesystem;
        if (how == QLatin1String("directory")) {
            QVERIFY(fs::create_directory(run_->settingsPath()));
        } else if (how == QLatin1String("dangling")) {
            fs::create_symlink(run_->workDirectory() + "/missing/Settings.txt",
                               run_->settingsPath());
        } else if (how == QLatin1String("fifo")) {
            QVERIFY(::mkfifo(run_->settingsPath().c_str(), 0666) == 0);
        } else if (how == QLatin1String("node")) {  // a node of the test's own, never one in /dev
            const std::string node = run_->workDirectory() + "/node";
            if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                QSKIP("no device nodes can be made here");
            fs::create_symlink(node, run_->settingsPath());
        } else {
            if (::geteuid() == 0) QSKIP("permissions do not bind the superuser");
            fs::permissions(run_->workDirectory(), fs::perms::owner_read | fs::perms::owner_exec);
        }
        CHECK_STEP(startProgram());

        const auto box = x_->waitForOther({kStartScreenTitle}, kWait, whenEnded());
        QVERIFY2(box, qPrintable(QStringLiteral("no message; ") + context()));
        QVERIFY2(box->title != kPanelTitle && box->title != kDialogTitle, qPrintable(context()));
        QVERIFY2(run_->running(), "the program ended while its message was up");

        CHECK_STEP(press(*box, "Return"));
        const auto status = run_->process().waitForExit(kWait);
        QVERIFY2(status, "the program did not end after its message");
        QVERIFY2(zz::rig::exitCode(status) == 1,
                 qPrintable(QString::fromStdString(zz::rig::describeWaitStatus(status))));
        QVERIFY2(!x_->everShown(kPanelTitle), qPrintable(context()));
        QCOMPARE(sentSoFar(), QByteArray());
    }

    // The start screen is on screen and fully painted while the program
    // waits its two seconds, centred, and nothing is sent meanwhile.
    void startScreenPaintedDuringPause() {
        QVERIFY(run_->writeSettings("1\r\n"));
        CHECK_STEP(startProgram());

        const auto screen = x_->waitFor(kStartScreenTitle, kWait, whenEnded());
        QVERIFY2(screen, qPrintable(context()));
        QCOMPARE(screen->geometry.width, 510);
        QCOMPARE(screen->geometry.height, 313);
        QCOMPARE(screen->geometry.x, (zz::rig::XSession::kScreenWidth - 510) / 2);
        QVERIFY(qAbs(screen->geometry.y * 2 - (zz::rig::XSession::kScreenHeight - 313)) <= 1);

        // About half-way through the pause.
        std::this_thread::sleep_until(run_->process().startedAt() + 1s);
        const zz::rig::Image image = x_->grab(zz::rig::startScreenArea());
        const auto stillUp = x_->find(kStartScreenTitle);
        QVERIFY2(stillUp && stillUp->id == screen->id,
                 "the start screen went before half its two seconds");
        QVERIFY2(!x_->everShown(kPanelTitle), qPrintable(context()));
        const zz::rig::StartScreenLook look = zz::rig::inspectStartScreen(image);
        QVERIFY2(zz::rig::looksPainted(look),
                 qPrintable(QStringLiteral("start screen not painted: %1% of it drawn, %2 pixels "
                                           "of the title blue")
                                .arg(look.drawnShare * 100, 0, 'f', 1)
                                .arg(look.titleBluePixels)));
        QCOMPARE(bytes(pty_->readAll(100ms, 100ms)), QByteArray());

        CHECK_STEP(expectPanelWithStartCommand());
        const auto panel = x_->find(kPanelTitle);
        QVERIFY(panel);
        CHECK_STEP(press(*panel, "alt+e"));
        CHECK_STEP(expectExit(0));
    }
};

QTEST_GUILESS_MAIN(tst_StartupE2e)
#include "tst_startup_e2e.moc"
