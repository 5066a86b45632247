// Temperature programs: the reader's step forms, units and refusals by line;
// the commands of a plan on its timetable (where the rounded target changes,
// never closer than two frames, never further than the longest interval);
// burnout values; the lazy timetable of runTimed.

#include "automation/burnout.h"
#include "automation/program_plan.h"
#include "automation/program_text.h"
#include "automation/timed_run.h"
#include "box/sensor.h"

#include <QtTest>

#include <memory>
#include <sstream>

using namespace zz::automation;
using namespace std::chrono;
using zz::Outcome;

namespace {

const nanoseconds kLeast = microseconds(16'666);  // two frames
const nanoseconds kMost = seconds(1);

ValueReading pt100() {
    return ValueReading{zz::box::sensorNamed("pt100").value()};
}

zz::Outcome<zz::box::Sensor> lookup(const std::string &name) {
    if (name == "mine") return zz::box::Sensor{zz::box::PlatinumSensor{"mine", 100.0, {}}};
    return zz::box::sensorNamed(name);
}

QString number(double value) {
    return QString::number(value, 'g', 6);
}

QString summary(const std::vector<ProgramStep> &steps) {
    QStringList parts;
    for (const auto &s : steps) {
        switch (s.kind) {
            case ProgramStep::Kind::Start:
                parts << "start " + number(s.value);
                break;
            case ProgramStep::Kind::Step:
                parts << "step " + number(s.value);
                break;
            case ProgramStep::Kind::Ramp:
                parts << "ramp " + number(s.value) +
                             (s.perSecond
                                  ? " at " + number(*s.perSecond) + "/s"
                                  : " in " + number(duration<double>(s.duration).count()) + "s");
                break;
            case ProgramStep::Kind::Soak:
                parts << "soak " + number(duration<double>(s.duration).count()) + "s";
                break;
            case ProgramStep::Kind::Repeat:
                parts << "repeat " + QString::number(s.count) + " [" + summary(s.body) + "]";
                break;
        }
        parts.last() += "@" + QString::number(s.line);
    }
    return parts.join(", ");
}

QString read(const QString &text, bool sensorGiven) {
    std::istringstream in(text.toStdString());
    const auto program = readProgram(in, "p.txt", sensorGiven ? pt100() : ValueReading{}, lookup);
    if (!program) return "refused: " + QString::fromStdString(program.error());
    return summary(program.value().steps) + " = " +
           number(duration<double>(program.value().total).count()) + "s" +
           (program.value().reading.sensor ? " T" : " R");
}

// Resistances as the box takes them, without a profile.
SetpointMaker ohmsMaker() {
    return [](double value) { return ValueReading{}.setpoint(value); };
}

Program program(const std::string &text, const ValueReading &given = {}) {
    std::istringstream in(text);
    auto read = readProgram(in, "p.txt", given, lookup);
    if (!read) qFatal("%s", read.error().c_str());
    return read.value();
}

std::vector<DueSetpoint> walk(ProgramPlan plan, std::size_t most = 100'000) {
    std::vector<DueSetpoint> commands;
    for (auto next = plan.next(); next && next.value() && commands.size() < most;
         next = plan.next())
        commands.push_back(*next.value());
    return commands;
}

}  // namespace

class tst_TemperatureProgram : public QObject {
    Q_OBJECT

private slots:
    // Each step form, units, braces and comments; refusals name their line.
    void reads_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sensorGiven");  // pt100 from the command line
        QTest::addColumn<QString>("expected");  // a piece of the summary or refusal
        QTest::newRow("every step form")
            << "sensor pt100\nstart 20C\nramp 120C 5K/min\nsoak 10min\nstep 80C\nramp 20C in "
               "20min\n"
            << false
            << "start 20@2, ramp 120 at 0.0833333/s@3, soak 600s@4, step 80@5, ramp 20 in "
               "1200s@6 = 3000s T";
        QTest::newRow("fahrenheit sizes")
            << "start 68F\nramp 212F 9F/min\n"
            << true << "start 20@1, ramp 100 at 0.0833333/s@2 = 960s T";
        QTest::newRow("K/s and K/h")
            << "start 0\nramp 10 1K/s\nramp 0 36K/h\n"
            << true << "start 0@1, ramp 10 at 1/s@2, ramp 0 at 0.01/s@3 = 1010s T";
        QTest::newRow("kelvin values") << "start 293.15K\nstep 300K\n"
                                       << true << "start 20@1, step 26.85@2";
        QTest::newRow("resistances and their rates")
            << "start 1k5\nramp 10k 50ohm/s\nramp 1k 0.5k/min\nstep 4k7\n"
            << false
            << "start 1500@1, ramp 10000 at 50/s@2, ramp 1000 at 8.33333/s@3, step 4700@4 = "
               "1250s R";
        QTest::newRow("a user's sensor by name") << "sensor mine\nstart 0\n"
                                                 << false << "start 0@2 = 0s T";
        QTest::newRow("comments, blank lines, CRLF, tabs")
            << "# heat\r\n\r\n\tstart 1k  # first\r\nsoak 2s\r\n"
            << false << "start 1000@3, soak 2s@4 = 2s R";
        QTest::newRow("brace on the repeat line, nested")
            << "start 0\nrepeat 3 {\n step 10\n repeat 2 {\n  soak 1s\n }\n}\n"
            << false << "start 0@1, repeat 3 [step 10@3, repeat 2 [soak 1s@5]@4]@2 = 6s R";
        QTest::newRow("brace on its own line") << "start 0\nrepeat 2\n{\nsoak 1s\n}\n"
                                               << false << "repeat 2 [soak 1s@4]@2 = 2s R";
        // The first pass ramps from 0 to 10, the others from 20 (the body's end).
        QTest::newRow("repeat timed from the body's own end")
            << "start 0\nrepeat 3 {\nramp 10 1ohm/s\nstep 20\n}\n"
            << false << "= 30s R";
        QTest::newRow("unknown step") << "start 0\n\nheat 10\n"
                                      << false << "refused: p.txt:3: unknown step \"heat\"";
        QTest::newRow("nothing to ramp from")
            << "# x\nramp 10 1ohm/s\n"
            << false << "refused: p.txt:2: nothing to start from: begin with start VALUE";
        QTest::newRow("start twice") << "start 0\nstart 1\n"
                                     << false << "refused: p.txt:2: start is the first step";
        QTest::newRow("start inside a repeat")
            << "repeat 2 {\nstart 1\n}\n"
            << false << "refused: p.txt:2: start is the first step";
        QTest::newRow("no brace") << "start 0\nrepeat 2\nsoak 1s\n}\n"
                                  << false << "refused: p.txt:3: \"{\" expected";
        QTest::newRow("stray brace") << "start 0\n}\n"
                                     << false << "refused: p.txt:2: \"}\" without a repeat";
        QTest::newRow("unclosed repeat")
            << "start 0\nrepeat 2 {\nsoak 1s\n"
            << false << "refused: p.txt:3: the repeat of line 2 has no \"}\"";
        QTest::newRow("empty repeat") << "start 0\nrepeat 2 {\n}\n"
                                      << false << "refused: p.txt:3: a repeat with no steps";
        QTest::newRow("repeat with another word for its brace")
            << "start 0\nrepeat 2 x\nsoak 1s\n}\n"
            << false << "refused: p.txt:2: ";
        QTest::newRow("repeat 0") << "start 0\nrepeat 0 {\nsoak 1s\n}\n"
                                  << false << "refused: p.txt:2: the repeat count \"0\"";
        QTest::newRow("repeat a billion times")
            << "start 0\nrepeat 1000000000 {\nsoak 1s\n}\n"
            << false
            << "refused: p.txt:2: the repeat count \"1000000000\" is not a whole number from 1 "
               "to 1000000";
        QTest::newRow("longer than 500 hours")
            << "start 0\nrepeat 1000 {\nrepeat 1000 {\nsoak 2s\n}\n}\n"
            << false << "refused: p.txt:2: the program would run longer than 500 hours";
        QTest::newRow("nine deep") << "start 0\n" + QString("repeat 2 {\n").repeated(9) +
                                          "soak 1s\n" + QString("}\n").repeated(9)
                                   << false << "refused: p.txt:10: repeats nest 8 deep at most";
        QTest::newRow("a long line") << "start 0\nsoak " + QString(300, '1') + "\n"
                                     << false << "refused: p.txt:2: longer than 200 characters";
        QTest::newRow("sensor after a step")
            << "start 0\nsensor pt100\n"
            << false << "refused: p.txt:2: the sensor comes before";
        QTest::newRow("sensor twice")
            << "sensor pt100\nstart 0\n"
            << true << "refused: p.txt:1: the command line names the sensor";
        QTest::newRow("unknown sensor") << "sensor pt99\nstart 0\n"
                                        << false << "refused: p.txt:1: unknown sensor";
        QTest::newRow("temperature rate for resistances")
            << "start 1k\nramp 2k 5K/min\n"
            << false << "refused: p.txt:2: \"5K/min\" is a temperature rate";
        QTest::newRow("rate per day") << "start 0\nramp 10 5K/day\n"
                                      << true << "refused: p.txt:2: cannot read \"day\"";
        QTest::newRow("zero rate") << "start 0\nramp 10 0K/min\n"
                                   << true << "refused: p.txt:2: cannot read \"0K\"";
        QTest::newRow("ramp in no time") << "start 0\nramp 10 in 0s\n"
                                         << true << "refused: p.txt:2: a ramp takes some time";
        QTest::newRow("ramp without rate") << "start 0\nramp 10\n"
                                           << true << "refused: p.txt:2: ramp takes a target and";
        QTest::newRow("below absolute zero")
            << "start -300C\n"
            << true << "refused: p.txt:1: temperature \"-300C\" is below";
        QTest::newRow("no steps") << "# nothing\n\n" << false << "refused: p.txt: no steps";
    }
    void reads() {
        QFETCH(QString, text);
        QFETCH(bool, sensorGiven);
        QFETCH(QString, expected);
        const QString got = read(text, sensorGiven);
        QVERIFY2(got.contains(expected), qPrintable(got));
    }

    // 0.1 Ω a second: a command at each crossing of a rounding boundary.
    void rampSendsWhereTheTextChanges() {
        const auto commands = walk(
            ProgramPlan(program("start 100\nramp 101 in 10s\n"), ohmsMaker(), {kLeast, kMost}));
        QStringList got;
        for (const auto &c : commands)
            got << QString::number(duration<double>(c.at).count(), 'f', 3) + " " +
                       QString::fromStdString(c.setpoint.command);
        QCOMPARE(got.join(", "),
                 QString("0.000 00100.0, 0.500 00100.1, 1.500 00100.2, 2.500 00100.3, "
                         "3.500 00100.4, 4.500 00100.5, 5.500 00100.6, 6.500 00100.7, "
                         "7.500 00100.8, 8.500 00100.9, 9.500 00101.0"));
    }

    // Over many ramps: no change goes unsent, a changed command is where the
    // text changed (unless the two-frame bound held it back), and nothing
    // comes closer than two frames or further than the longest interval.
    void rampBounds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sensor");
        QTest::addColumn<int>("least");  // commands at least this many
        QTest::newRow("slow: keeps alive") << "start 100\nramp 100.3 in 20s\n" << false << 20;
        QTest::newRow("fast: two frames apart") << "start 0\nramp 1k in 1s\n" << false << 59;
        QTest::newRow("down, held to two frames") << "start 500\nramp 400 7ohm/s\n" << false << 850;
        QTest::newRow("Pt100 20 to 120 C at 5 K/min") << "start 20\nramp 120 5K/min\n"
                                                      << true << 380;
        QTest::newRow("Pt100 up and down with soaks")
            << "start 0\nrepeat 2 {\nramp 50 30K/min\nsoak 3s\nramp 0 in 10s\n}\n"
            << true << 100;
    }
    void rampBounds() {
        QFETCH(QString, text);
        QFETCH(bool, sensor);
        QFETCH(int, least);
        const ValueReading reading = sensor ? pt100() : ValueReading{};
        const SetpointMaker make = [reading](double v) { return reading.setpoint(v); };
        const Program p = program(text.toStdString(), sensor ? pt100() : ValueReading{});
        ProgramPlan plan(p, make, {kLeast, kMost});
        const auto commands = walk(plan);
        QVERIFY2(int(commands.size()) >= least, qPrintable(QString::number(commands.size())));
        // A program of one ramp: its text at any moment, to see that no change
        // went unsent between two commands.
        std::optional<Ramp> ramp;
        if (p.steps.size() == 2 && p.steps[1].kind == ProgramStep::Kind::Ramp)
            ramp = Ramp{p.steps[0].value, p.steps[1].value, p.total};
        const auto textAt = [&](nanoseconds at) { return make(ramp->valueAt(at)).value().command; };
        for (std::size_t i = 1; i < commands.size(); ++i) {
            const nanoseconds gap = commands[i].at - commands[i - 1].at;
            QVERIFY2(gap >= kLeast, qPrintable(QString::number(i)));
            QVERIFY2(gap <= kMost, qPrintable(QString::number(i)));
            if (commands[i].setpoint.command == commands[i - 1].setpoint.command)
                QCOMPARE(gap, kMost);  // only to show life
            // Not held back by the two frames: the text changed just now.
            if (ramp && gap > kLeast)
                QCOMPARE(textAt(commands[i].at - nanoseconds(1)), commands[i - 1].setpoint.command);
        }
        QVERIFY(commands.back().at <= p.total + kLeast);
    }

    // The change is found to the nanosecond: a hair before, the old text.
    void nextChangeIsExact_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("seconds");
        QTest::newRow("up") << 100.0 << 101.0 << 10.0;
        QTest::newRow("down") << 1000.0 << 999.0 << 3.0;
        QTest::newRow("across a decade") << 9999.0 << 10001.0 << 7.0;
    }
    void nextChangeIsExact() {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, seconds);
        const Ramp ramp{from, to, duration_cast<nanoseconds>(duration<double>(seconds))};
        const SetpointMaker make = ohmsMaker();
        std::string command = make(from).value().command;
        nanoseconds at{};
        int changes = 0;
        for (;;) {
            const auto change = nextChange(ramp, make, command, at);
            QVERIFY(change);
            if (!change.value()) break;
            at = *change.value();
            const std::string now = make(ramp.valueAt(at)).value().command;
            QVERIFY(now != command);
            QCOMPARE(make(ramp.valueAt(at - nanoseconds(1))).value().command, command);
            command = now;
            ++changes;
        }
        QCOMPARE(changes, int(std::lround(std::fabs(to - from) * 10)));
        QCOMPARE(command, make(to).value().command);
    }

    // Where the program stands: the step, the passes of its repeats, the
    // target and the time left.
    void progress() {
        ProgramPlan plan(program("start 0\nrepeat 2 {\nstep 10\nsoak 2500ms\n}\n"), ohmsMaker(),
                         {kLeast, kMost});
        QStringList seen;
        for (auto next = plan.next(); next && next.value(); next = plan.next()) {
            const auto &p = plan.progress();
            QStringList passes;
            for (long long pass : p.passes) passes << QString::number(pass);
            seen << QString("%1 %2 line %3 [%4] %5 left %6")
                        .arg(duration<double>(p.at).count())
                        .arg(QString::fromStdString(next.value()->setpoint.command))
                        .arg(p.line)
                        .arg(passes.join('/'))
                        .arg(*p.target)
                        .arg(duration<double>(p.left).count());
        }
        QCOMPARE(
            seen,
            QStringList(
                {"0 00000.0 line 1 [] 0 left 5", "0.016666 00010.0 line 3 [1] 10 left 4.98333",
                 "1.01667 00010.0 line 4 [1] 10 left 3.98333",
                 "2.01667 00010.0 line 4 [1] 10 left 2.98333", "2.5 00010.0 line 3 [2] 10 left 2.5",
                 "3.5 00010.0 line 4 [2] 10 left 1.5", "4.5 00010.0 line 4 [2] 10 left 0.5"}));
    }

    // A copy taken mid-way (a walk ahead of the run) goes on alone, however
    // long the original lives, and gives what the original would have.
    void copyWalksOnAlone() {
        const std::string text = "start 0\nrepeat 2 {\nramp 1 in 1s\nsoak 1500ms\n}\n";
        auto original =
            std::make_unique<ProgramPlan>(program(text), ohmsMaker(), Spacing{kLeast, kMost});
        for (int i = 0; i < 5; ++i) QVERIFY(original->next());
        ProgramPlan copy = *original;
        const auto rest = walk(*original);
        original.reset();
        const auto again = walk(copy);
        QCOMPARE(again.size(), rest.size());
        for (std::size_t i = 0; i < rest.size(); ++i) {
            QCOMPARE(again[i].at, rest[i].at);
            QCOMPARE(again[i].setpoint.command, rest[i].setpoint.command);
        }
    }

    // A slew is a program of one ramp from the value now.
    void slew() {
        const auto p = slewProgram(ValueReading{}, 100.0, 100.2, 0.1);
        QVERIFY(p);
        QCOMPARE(p.value().total, seconds(2));
        const auto commands = walk(ProgramPlan(p.value(), ohmsMaker(), {kLeast, kMost}));
        QCOMPARE(commands.size(), std::size_t(3));
        QCOMPARE(commands[1].at, milliseconds(500));
        QCOMPARE(commands[2].setpoint.command, std::string("00100.2"));
        QVERIFY(!slewProgram(ValueReading{}, 0, 1, 0));
    }

    // The targets are checked before any command: out of the sensor's range.
    void targetsChecked() {
        const Program p = program("start 20\nramp 900 5K/min\n", pt100());
        const SetpointMaker make = [](double v) { return pt100().setpoint(v); };
        const auto status = checkTargets(p, make);
        QVERIFY(!status);
        QVERIFY2(QString::fromStdString(status.text()).startsWith("line 2 (ramp 900 5K/min): "),
                 status.text().c_str());
    }

    void burnout_data() {
        QTest::addColumn<QString>("sensor");  // "" a beta thermistor 10k/3950
        QTest::addColumn<QString>("side");
        QTest::addColumn<QString>("command");
        QTest::newRow("Pt100 low") << "pt100"
                                   << "low"
                                   << "00016.7";
        QTest::newRow("Pt100 high") << "pt100"
                                    << "high"
                                    << "00429.5";
        QTest::newRow("Pt1000 high") << "pt1000"
                                     << "high"
                                     << "04295.3";
        QTest::newRow("NTC low, clamped to the box") << ""
                                                     << "low"
                                                     << "99999.9";
        QTest::newRow("NTC high") << ""
                                  << "high"
                                  << "00179.7";
        QTest::newRow("neither") << "pt100"
                                 << "mid"
                                 << "refused";
    }
    void burnout() {
        QFETCH(QString, sensor);
        QFETCH(QString, side);
        QFETCH(QString, command);
        const zz::box::Sensor s = sensor.isEmpty()
                                      ? zz::box::Sensor{zz::box::BetaThermistor{10000, 3950}}
                                      : zz::box::sensorNamed(sensor.toStdString()).value();
        const auto which = readBurnout(side.toStdString());
        if (!which) {
            QCOMPARE(command, QString("refused"));
            return;
        }
        const auto point = burnoutSetpoint(s, which.value());
        QVERIFY(point);
        QCOMPARE(QString::fromStdString(point.value().command), command);
    }

    // Commands asked for one at a time keep the absolute timetable: one that
    // is sent late delays only itself.
    void lazyTimetable() {
        MonotonicTime clock{};
        RunHooks hooks;
        hooks.now = [&] { return clock; };
        hooks.sleepUntil = [&](MonotonicTime until) { clock = std::max(clock, until); };
        std::vector<nanoseconds> started;
        hooks.send = [&](const Setpoint &) {
            started.push_back(clock.time_since_epoch());
            if (started.size() == 2) clock += milliseconds(1500);  // a slow command
            return zz::Status{};
        };
        int i = 0;
        const auto end = runTimed(
            [&]() -> std::optional<DueSetpoint> {
                if (i == 4) return std::nullopt;
                return DueSetpoint{{}, seconds(i++)};
            },
            hooks);
        QCOMPARE(end.sent, std::size_t(4));
        QCOMPARE(started, (std::vector<nanoseconds>{seconds(0), seconds(1), milliseconds(2500),
                                                    seconds(3)}));
    }
};

QTEST_GUILESS_MAIN(tst_TemperatureProgram)
#include "tst_temperature_program.moc"
