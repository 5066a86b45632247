// The points of sweeps and lists: which values, in which order, and list
// lines that cannot be read, named by their line.

#include "automation/point_list.h"
#include "automation/sweep_points.h"
#include "automation/timed_run.h"

#include <QtTest>

#include <algorithm>
#include <sstream>

using namespace zz::automation;
using zz::Outcome;
using namespace std::chrono_literals;

namespace {

QString joined(const Outcome<std::vector<double>> &points) {
    if (!points) return "refused: " + QString::fromStdString(points.error());
    QStringList values;
    for (double v : points.value()) values << QString::number(v, 'g', 12);
    return values.join(' ');
}

}  // namespace

class tst_PointSchedules : public QObject {
    Q_OBJECT

private slots:
    // kind: "lin" (step), "log" (points per decade); repeat applied last.
    void sweeps_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QString>("points");
        QTest::newRow("up, end on grid")
            << "lin" << 100.0 << 130.0 << 10.0 << 1 << "100 110 120 130";
        QTest::newRow("down, end on grid")
            << "lin" << 130.0 << 100.0 << 10.0 << 1 << "130 120 110 100";
        QTest::newRow("up, end off grid") << "lin" << 0.0 << 25.0 << 10.0 << 1 << "0 10 20";
        QTest::newRow("down, end off grid") << "lin" << 25.0 << 0.0 << 10.0 << 1 << "25 15 5";
        QTest::newRow("tenths, no drift") << "lin" << 0.0 << 0.3 << 0.1 << 1 << "0 0.1 0.2 0.3";
        QTest::newRow("one point") << "lin" << 5.0 << 5.0 << 1.0 << 1 << "5";
        QTest::newRow("zero step")
            << "lin" << 0.0 << 1.0 << 0.0 << 1 << "refused: the step must be greater than zero";
        QTest::newRow("too many")
            << "lin" << 0.0 << 99999.9 << 0.01 << 1
            << "refused: the sweep would have 9999991 points, more than 1000000";
        QTest::newRow("log up") << "log" << 10.0 << 1000.0 << 2.0 << 1
                                << "10 31.6227766017 100 316.227766017 1000";
        QTest::newRow("log down, end off grid")
            << "log" << 1000.0 << 20.0 << 1.0 << 1 << "1000 100";
        QTest::newRow("log from zero")
            << "log" << 0.0 << 10.0 << 1.0 << 1
            << "refused: a logarithmic sweep needs both ends greater than zero";
        QTest::newRow("log to zero")
            << "log" << 10.0 << 0.0 << 1.0 << 1
            << "refused: a logarithmic sweep needs both ends greater than zero";
        QTest::newRow("repeat") << "lin" << 1.0 << 2.0 << 1.0 << 3 << "1 2 1 2 1 2";
        QTest::newRow("repeat 0") << "lin" << 1.0 << 2.0 << 1.0 << 0
                                  << "refused: the repeat count must be at least 1";
    }
    void sweeps() {
        QFETCH(QString, kind);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, step);
        QFETCH(int, repeat);
        QFETCH(QString, points);
        auto values = kind == "lin" ? linearPoints(from, to, step) : logPoints(from, to, int(step));
        if (values) values = repeated(values.value(), repeat);
        QCOMPARE(joined(values), points);
    }

    // A list is read whole or not at all; a refusal names the line.
    void lists_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("values, dwells, comments")
            << "# warm-up\n100\n\n  4k7 , 250ms # hold\n1.5k,2s\r\n"
            << "00100.0@1000 04700.0@250 01500.0@2000";
        QTest::newRow("bad value") << "100\n# note\nabc\n200\n"
                                   << "list:3: cannot read \"abc\"";
        QTest::newRow("out of range") << "100\n200000\n"
                                      << "list:2: 200000 Ω is above 99999.9 Ω";
        QTest::newRow("bad dwell") << "100,5 days\n"
                                   << "list:1: cannot read \"5 days\" as a duration";
        QTest::newRow("negative") << "\n\n-5\n"
                                  << "list:3: negative resistance";
        QTest::newRow("empty") << "# nothing\n\n"
                               << "list: no points in the list";
    }
    void lists() {
        QFETCH(QString, text);
        QFETCH(QString, result);
        std::istringstream in(text.toStdString());
        const auto points = readPointList(in, "list", ValueReading{}, 1s);
        if (!points) {
            QVERIFY2(QString::fromStdString(points.error()).startsWith(result),
                     points.error().c_str());
            return;
        }
        QStringList got;
        for (const auto &p : points.value())
            got << QString("%1@%2")
                       .arg(QString::fromStdString(p.setpoint.command))
                       .arg(std::chrono::duration_cast<std::chrono::milliseconds>(p.dwell).count());
        QCOMPARE(got.join(' '), result);
    }

    // The timetable on a clock of its own: each command takes `took` ms of
    // it, and a point is due at the start plus the dwells before it, however
    // long the commands took. `starts` is when each command began (ms).
    void deadlinesOnTheGrid_data() {
        QTest::addColumn<QList<int>>("dwells");
        QTest::addColumn<QList<int>>("took");
        QTest::addColumn<QList<int>>("starts");
        QTest::newRow("3 ms commands at 10 ms")
            << QList<int>{10, 10, 10, 10, 10} << QList<int>{3, 3, 3, 3, 3}
            << QList<int>{0, 10, 20, 30, 40};
        QTest::newRow("dwells of their own")
            << QList<int>{5, 25, 4, 10} << QList<int>{3, 3, 3, 3} << QList<int>{0, 5, 30, 34};
        QTest::newRow("one slow command delays only itself")
            << QList<int>{10, 10, 10, 10} << QList<int>{3, 25, 3, 3} << QList<int>{0, 10, 35, 38};
    }
    void deadlinesOnTheGrid() {
        QFETCH(QList<int>, dwells);
        QFETCH(QList<int>, took);
        QFETCH(QList<int>, starts);
        using std::chrono::milliseconds;
        const MonotonicTime start{std::chrono::hours(1)};
        MonotonicTime now = start;
        std::vector<TimedSetpoint> points;
        for (int dwell : dwells)
            points.push_back({setpointForOhms(100).value(), milliseconds(dwell)});
        std::size_t sending = 0;
        QList<int> dues, begun;
        RunHooks hooks;
        hooks.now = [&] { return now; };
        hooks.sleepUntil = [&](MonotonicTime until) { now = std::max(now, until); };
        hooks.send = [&](const Setpoint &) {
            now += milliseconds(took[qsizetype(sending++)]);
            return zz::Status();
        };
        hooks.sent = [&](std::size_t, const PointTiming &t, const zz::Status &) {
            const auto at = [&](MonotonicTime m) {
                return int(std::chrono::duration_cast<milliseconds>(m - start).count());
            };
            dues << at(t.due);
            begun << at(t.started);
        };
        const RunEnd end = runTimed(points, hooks);
        QCOMPARE(end.kind, RunEnd::Kind::Done);
        QCOMPARE(end.sent, points.size());
        QList<int> grid{0};
        for (qsizetype i = 0; i + 1 < dwells.size(); ++i) grid << grid.back() + dwells[i];
        QCOMPARE(dues, grid);
        QCOMPARE(begun, starts);
    }

    // The last stretch before a deadline is watched on the clock, never more
    // than a fraction of a millisecond whatever is asked: the sleep before
    // each point ends `gap` µs before it is due, and the point starts on time.
    void watchBeforeDue_data() {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("gap");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("0.1 ms") << 100 << 100;
        QTest::newRow("5 ms is cut to the bound") << 5000 << int(kMaxWatchBeforeDue.count());
    }
    void watchBeforeDue() {
        QFETCH(int, asked);
        QFETCH(int, gap);
        using std::chrono::microseconds;
        MonotonicTime now{std::chrono::hours(1)};
        std::vector<TimedSetpoint> points(4, {setpointForOhms(100).value(), 10ms});
        std::vector<MonotonicTime> sleptUntil;
        RunHooks hooks;
        hooks.watchBeforeDue = microseconds(asked);
        hooks.now = [&] { return now += microseconds(1); };  // each look takes 1 µs
        hooks.sleepUntil = [&](MonotonicTime until) {
            sleptUntil.push_back(until);
            now = std::max(now, until);
        };
        hooks.send = [&](const Setpoint &) {
            now += 3ms;
            return zz::Status();
        };
        QList<int> gaps, lateness;
        hooks.sent = [&](std::size_t i, const PointTiming &t, const zz::Status &) {
            if (i > 0) gaps << int((t.due - sleptUntil.back()) / microseconds(1));
            lateness << int((t.started - t.due) / microseconds(1));
        };
        QCOMPARE(runTimed(points, hooks).kind, RunEnd::Kind::Done);
        QCOMPARE(gaps, QList<int>(3, gap));
        for (int late : lateness)
            QVERIFY2(late >= 0 && late <= 2, qPrintable(QString::number(late)));
    }
};

QTEST_APPLESS_MAIN(tst_PointSchedules)
#include "tst_point_schedules.moc"
