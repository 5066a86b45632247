// Slews and programs as a SCPI session drives them, on a clock the test
// moves: the exact commands sent and when, *OPC? held to the run's end, and
// what stops or takes over a run.

#include "profile/box_rules.h"
#include "profile/profile_reader.h"
#include "scpi/session.h"
#include "support/recording_link.h"

#include <QtTest>

#include <functional>
#include <vector>

using namespace zz;
using namespace std::chrono;

namespace {

using test::RecordingLink;

}  // namespace

class tst_ScpiRuns : public QObject {
    Q_OBJECT

private slots:
    // Each "\n"-separated line is carried out in turn; "@N" moves the clock
    // to N ms and lets the run send what is due, as the server's timer does;
    // "2:" carries a line out on another client's session, "!limits" and
    // "!change" read a profile of limits in while the run goes on. A line held at
    // *OPC? goes on after the line that settled the run.
    void script_data() {
        QTest::addColumn<QString>("profile");  // "", "limits" or "change"
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<QByteArray>("wire");
        const auto row = [](const char *name, const char *lines, const QByteArray &answers,
                            const char *wire, const char *profile = "") {
            QTest::newRow(name) << profile << lines << answers << QByteArray(wire);
        };
        // 100 ohm/s from 1000 to 1010: a change every 1 ms, sent no closer than 17 ms.
        row("at once, spaced, an overtaken command left out, to the end",
            "RES 1000\nRES:SLEW 100;RES 1010;RES:SLEW:STAT?\n@5\n@17\n@60\n@200\n"
            "RES:SLEW:STAT?;RES?;RES:SLEW?",
            "RAMP\nSETT;1010.0;100\n", "01000.0\r01001.7\r01005.1\r01010.0\r");
        row("*OPC? waits, and its line answers whole",
            "RES 1000\nRES:SLEW 100;RES 1010;RES?;*OPC?;RES?\n@200", "1000.0;1;1010.0\n",
            "01000.0\r01010.0\r");
        row("a new setting starts from where the ramp has got to",
            "RES 1000\nRES:SLEW 100;RES 1010\n@17\nRES 1000\n@20\n@300", "",
            "01000.0\r01001.7\r01000.0\r");
        row("a setting at once stops it, and *OPC? answers",
            "RES 1000\nRES:SLEW 100;RES 1010;*OPC?\n2:RES:SLEW INF;RES 1005\n2:RES:SLEW:STAT?",
            "1\nSETT\n", "01000.0\r01005.0\r");
        row("*RST stops it, and slews are INF again",
            "RES 1000\nRES:SLEW 100;RES 1010\n*RST\n@200\nRES:SLEW?;TEMP:SLEW?;RES:SLEW:STAT?",
            "9.9E+37;9.9E+37;SETT\n", "01000.0\r10000\r");
        row("a refused setting leaves the ramp going",
            "RES 1000\nRES:SLEW 100;RES 1010\nRES 200000\nSYST:ERR?;RES:SLEW:STAT?\n@200",
            "-222,\"Data out of range\";RAMP\n", "01000.0\r01010.0\r");
        row("the limits refuse a slew whole, before its first command",
            "RES 1000\nRES:SLEW 100;RES 3000\nSYST:ERR?;RES:SLEW:STAT?",
            "-222,\"Data out of range;above the limit 2000.0 ohm of this box's profile\";SETT\n",
            "01000.0\r", "limits");
        row("a profile read in mid-run stops it before a value past its limits",
            "RES 1000\nRES:SLEW 10000;RES 5000\n@100\n!limits\n@1000\nRES:SLEW:STAT?", "SETT\n",
            "01000.0\r01850.0\r");
        row("a step past the largest change a command may make ends the program there",
            "PROG:DEF 'start 100; soak 0.1s; step 1000'\nPROG:RUN\n!change\n@0\n@500\nPROG:STAT?",
            "STOP\n", "00100.0\r");
        row("rates: none, zero, a word", "RES:SLEW 0\nRES:SLEW FAST\nSYST:ERR:COUN?", "2\n", "");
        row("TEMP:SLEW in the unit's degrees a minute",
            "TEMP 0\nUNIT:TEMP F;:TEMP:SLEW 9;:UNIT:TEMP C;:TEMP:SLEW?;:TEMP "
            "0.5;:TEMP?\n@10000\nTEMP?",
            "5;0\n0.5\n", "00100.0\r00100.2\r");
        row("a program: defined, run, stepped, ended",
            "PROG:DEF 'start 100; ramp 200 in 1s; repeat 2 {; step 300; soak 0.5s; }'\n"
            "PROG:RUN;PROG:STAT?\n@0\nPROG:STEP?\n@5000\nPROG:STAT?;PROG:STEP?",
            "RUN\n1\nSTOP;0\n", "00100.0\r00300.0\r");
        row("a program stopped where it is",
            "PROG:DEF \"start 100; ramp 200 in 1s\"\n"
            "PROG:RUN\n@0\n@500\nPROG:STOP;PROG:STAT?\n@2000",
            "STOP\n", "00100.0\r00149.3\r");
        row("programs refused",
            "PROG:RUN\nSYST:ERR?\nPROG:DEF 'start 100;ramp 5K/min'\nSYST:ERR?\n"
            "PROG:DEF 'start 100;step 3000'\nSYST:ERR?\nPROG:DEF 5\nSYST:ERR?",
            "-221,\"Settings conflict;no program: load one with PROGram:DEFine\"\n"
            "-224,\"Illegal parameter value;PROGram:2: ramp takes a target and a rate (ramp 120C "
            "5K/min) or a time (ramp 120C in 20min)\"\n"
            "-222,\"Data out of range;line 2 (step 3000): above the limit 2000.0 ohm of this "
            "box's profile\"\n-104,\"Data type error\"\n",
            "", "limits");
        // A late command is followed no closer than the spacing: the one due
        // at 51 ms waits until 57 ms, 17 ms after the late one went at 40.
        row("a command after a late one keeps the spacing",
            "RES 1000\nRES:SLEW 100;RES 1010\n@40\n@51\n2:RES?\n@57\n2:RES?", "1003.4\n1005.1\n",
            "01000.0\r01003.4\r01005.1\r");
        row("the largest change refuses a program whole, before its first command",
            "PROG:DEF 'start 100; soak 0.1s; step 1000'\nPROG:RUN\nSYST:ERR?;PROG:STAT?\n@500",
            "-222,\"Data out of range;the run is refused whole: command 2 at +0.100 s, line 3 "
            "(step 1000), 01000.0: a change of 900.0 ohm from 100.0 ohm, above the limit 500.0 "
            "ohm per command of this box's profile\";STOP\n",
            "", "change");
        // 10000 ohm/s: 170 ohm a command. The timer wakes late at 100 ms and
        // 200 ms; the commands overtaken are left out only while the next
        // one stays within 500 ohm of the last sent.
        row("an overtaken command stays when leaving it out would change too much",
            "RES 1000\nRES:SLEW 10000;RES 5000\n@17\n@100\n@200\n@10000", "",
            "01000.0\r01170.0\r01510.0\r01850.0\r02190.0\r", "change");
    }

    void script() {
        QFETCH(QString, profile);
        QFETCH(QString, lines);
        QFETCH(QByteArray, answers);
        QFETCH(QByteArray, wire);
        RecordingLink link;
        scpi::Instrument instrument(link);
        const auto readLimits = [&instrument](const char *text = "[limits]\nmax = 2000\n") {
            const auto read = profile::readProfile(text, "com3.toml");
            instrument.setRules(profile::BoxRules::fromLoaded(std::optional(read.value())));
        };
        if (profile == "limits") readLimits();
        if (profile == "change") readLimits("[limits]\nmax_change = 500\n");
        steady_clock::time_point now{};
        instrument.clock = [&now] { return now; };
        scpi::Session session(instrument), other(instrument);
        std::vector<std::function<void()>> later;  // the server's next job on the link
        QByteArray got;
        std::function<void()> waitIfHeld = [&] {
            if (session.held())
                instrument.whenSettled([&] {
                    later.push_back([&] {
                        got += QByteArray::fromStdString(session.resume());
                        waitIfHeld();
                    });
                });
        };
        for (const QString &line : lines.split('\n')) {
            if (line.startsWith('@')) {
                now = steady_clock::time_point{} + milliseconds(line.mid(1).toInt());
                instrument.advance();
            } else if (line == "!limits") {
                readLimits();
            } else if (line == "!change") {
                readLimits("[limits]\nmax_change = 500\n");
            } else if (line.startsWith("2:")) {
                got += QByteArray::fromStdString(other.execute(line.mid(2).toStdString()));
            } else {
                got += QByteArray::fromStdString(session.execute(line.toStdString()));
                waitIfHeld();
            }
            for (auto &job : std::exchange(later, {})) job();
        }
        QCOMPARE(got, answers);
        QCOMPARE(link.wire, wire);
    }
};

QTEST_GUILESS_MAIN(tst_ScpiRuns)
#include "tst_scpi_runs.moc"
