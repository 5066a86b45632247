// --realtime as an unprivileged user: real-time scheduling within
// RLIMIT_RTPRIO when the limit allows some, and the operating system's own
// refusal, in one line, when it allows none. Each row runs in a child that
// sets the limit and drops root, as a user's run would have it.

#include "automation/realtime.h"

#include <QtTest>

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

constexpr uid_t kNobody = 65534;

// What enterRealtime said and the scheduling it left: "<policy> <priority>|<text>".
std::string realtimeAsUser(rlim_t rtprio) {
    int out[2];
    if (pipe(out) != 0) return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{rtprio, rtprio};
        if (setrlimit(RLIMIT_RTPRIO, &limit) != 0) _exit(4);  // raising it needs CAP_SYS_RESOURCE
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
        const std::string said = zz::automation::enterRealtime();
        sched_param param{};
        sched_getparam(0, &param);
        const std::string text = std::to_string(sched_getscheduler(0) & ~SCHED_RESET_ON_FORK) +
                                 " " + std::to_string(param.sched_priority) + "|" + said;
        _exit(write(out[1], text.data(), text.size()) == ssize_t(text.size()) ? 0 : 3);
    }
    close(out[1]);
    char text[512];
    const ssize_t n = read(out[0], text, sizeof text);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 4) return "cannot raise the limit";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? std::string(text, n > 0 ? n : 0)
                                                         : "child failed";
}

}  // namespace

class tst_Realtime : public QObject {
    Q_OBJECT

private slots:
    void asUser_data() {
        QTest::addColumn<int>("rtprio");
        QTest::addColumn<QString>("scheduling");  // "<policy> <priority>"
        QTest::addColumn<QString>("said");        // a piece of the line, or "" for none
        QTest::newRow("limit 5: FIFO at 5") << 5 << QString("%1 5").arg(SCHED_FIFO) << "";
        QTest::newRow("no limit: refused, said so")
            << 0 << QString("%1 0").arg(SCHED_OTHER)
            << "no real-time scheduling (Operation not permitted)";
    }
    void asUser() {
        if (geteuid() != 0) QSKIP("needs root to hand a child a limit and drop privileges");
        QFETCH(int, rtprio);
        QFETCH(QString, scheduling);
        QFETCH(QString, said);
        const QString got = QString::fromStdString(realtimeAsUser(rlim_t(rtprio)));
        if (got == "cannot raise the limit") QSKIP("RLIMIT_RTPRIO cannot be raised here");
        QCOMPARE(got.section('|', 0, 0), scheduling);
        const QString text = got.section('|', 1);
        if (said.isEmpty())
            QVERIFY2(!text.contains("scheduling"), qPrintable(text));
        else
            QVERIFY2(text.contains(said), qPrintable(text));
    }
};

QTEST_APPLESS_MAIN(tst_Realtime)
#include "tst_realtime.moc"
