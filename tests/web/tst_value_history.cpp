// The values the box was set to, as the server keeps them: the ring's
// bounds and order, the slices the pages get, the CSV text, the progress
// field, and the panel model feeding it from a real pseudo-terminal and the
// device's last-command record.

#include "link/command_record.h"
#include "web/panel_model.h"
#include "web/run_progress.h"
#include "web/value_history.h"

#include <QtTest>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace zz;
using namespace zz::web;
using Numbers = std::vector<std::uint64_t>;

Q_DECLARE_METATYPE(Numbers)

namespace {

WallTime at(std::int64_t millis) {
    return WallTime(std::chrono::milliseconds(millis));
}

Numbers numbersOf(const std::vector<HistoryEntry> &entries) {
    Numbers out;
    for (const auto &entry : entries) out.push_back(entry.number);
    return out;
}

}  // namespace

class tst_ValueHistory : public QObject {
    Q_OBJECT

private slots:
    // Capacity, values added one a second (ohms = their number), then what
    // entries(after, since) gives back.
    void ring_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("sinceSecond");  // -1: no time bound
        QTest::addColumn<Numbers>("kept");
        QTest::newRow("empty") << 4 << 0 << 0 << -1 << Numbers{};
        QTest::newRow("below the cap") << 4 << 3 << 0 << -1 << Numbers{1, 2, 3};
        QTest::newRow("full") << 4 << 4 << 0 << -1 << Numbers{1, 2, 3, 4};
        QTest::newRow("oldest dropped") << 4 << 6 << 0 << -1 << Numbers{3, 4, 5, 6};
        QTest::newRow("wrapped twice") << 3 << 10 << 0 << -1 << Numbers{8, 9, 10};
        QTest::newRow("after a number") << 4 << 6 << 4 << -1 << Numbers{5, 6};
        QTest::newRow("after one dropped") << 4 << 6 << 1 << -1 << Numbers{3, 4, 5, 6};
        QTest::newRow("after the last") << 4 << 6 << 6 << -1 << Numbers{};
        QTest::newRow("since: and the one held then") << 8 << 6 << 0 << 4 << Numbers{4, 5, 6};
        QTest::newRow("since, earlier") << 8 << 6 << 0 << 3 << Numbers{3, 4, 5, 6};
        QTest::newRow("since the start") << 8 << 6 << 0 << 0 << Numbers{1, 2, 3, 4, 5, 6};
        QTest::newRow("since after all") << 8 << 6 << 0 << 99 << Numbers{6};
        QTest::newRow("since, wrapped") << 4 << 9 << 0 << 7 << Numbers{7, 8, 9};
        QTest::newRow("since and after") << 8 << 6 << 5 << 2 << Numbers{6};
    }
    void ring() {
        QFETCH(int, capacity);
        QFETCH(int, added);
        QFETCH(int, after);
        QFETCH(int, sinceSecond);
        QFETCH(Numbers, kept);
        ValueHistory history{std::size_t(capacity)};
        for (int i = 1; i <= added; ++i)
            QVERIFY(history.add(at(i * 1000 - 500), std::to_string(i) + ".0", {}, "s"));
        const auto got =
            history.entries(std::uint64_t(after),
                            sinceSecond < 0 ? std::nullopt : std::optional(at(sinceSecond * 1000)));
        QCOMPARE(numbersOf(got), kept);
        for (const auto &entry : got) QCOMPARE(entry.ohms, double(entry.number));  // in its place
        QCOMPARE(history.size(), std::size_t(std::min(capacity, added)));
        QCOMPARE(history.lastNumber(), std::uint64_t(added));
    }

    // Only the box's values are kept, each as sent.
    void commands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<double>("ohms");  // -1: refused
        QTest::newRow("seven characters") << "01234.5" << 1234.5;
        QTest::newRow("a preset's") << "100.0" << 100.0;
        QTest::newRow("zero") << "0.0" << 0.0;
        QTest::newRow("top") << "99999.9" << 99999.9;
        QTest::newRow("not a value") << "*RST" << -1.0;
        QTest::newRow("empty") << "" << -1.0;
        QTest::newRow("above the range") << "100000.0" << -1.0;
    }
    void commands() {
        QFETCH(QString, command);
        QFETCH(double, ohms);
        ValueHistory history(4);
        const bool kept = history.add(at(0), command.toStdString(), {}, "s");
        QCOMPARE(kept, ohms >= 0);
        QCOMPARE(history.size(), std::size_t(kept ? 1 : 0));
        if (!kept) return;
        const HistoryEntry entry = history.entries().at(0);
        QCOMPARE(entry.command, command.toStdString());
        QCOMPARE(entry.ohms, ohms);
    }

    // A record seen after a later command keeps its place in the order; the
    // senders' names survive the entries that dropped out beside them.
    void timesAndSenders() {
        ValueHistory history(3);
        history.add(at(5000), "1.0", 25.5, "first");
        history.add(at(4000), "2.0", {}, "second");  // looked at late
        history.add(at(6000), "3.0", {}, "first");
        history.add(at(7000), "4.0", {}, "third");  // drops the first "first"
        const auto got = history.entries();
        QCOMPARE(got.size(), std::size_t(3));
        QCOMPARE(got[0].unixMillis, std::int64_t(5000));
        QCOMPARE(got[0].sender, std::string("second"));
        QCOMPARE(got[1].sender, std::string("first"));
        QCOMPARE(got[2].sender, std::string("third"));
        history.add(at(8000), "5.0", -12.25, "fourth");
        history.add(at(9000), "6.0", {}, "fifth");  // "second" and "first" gone, slots reused
        QCOMPARE(history.entries().front().sender, std::string("third"));
        QCOMPARE(history.entries()[1].celsius, std::optional(-12.25));
    }

    void csv_data() {
        QTest::addColumn<qint64>("millis");
        QTest::addColumn<QString>("command");
        QTest::addColumn<double>("celsius");  // NaN: none
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("line");
        const double none = std::nan("");
        QTest::newRow("plain") << qint64(1796726990986) << "01234.5" << none
                               << "SCPI client 127.0.0.1:5025"
                               << "2026-12-08T10:49:50.986Z,01234.5,1234.5,,SCPI client "
                                  "127.0.0.1:5025";
        QTest::newRow("epoch, a temperature")
            << qint64(0) << "00138.5" << 100.0 << "page ::1"
            << "1970-01-01T00:00:00.000Z,00138.5,138.5,100,page ::1";
        QTest::newRow("leap day, last millisecond")
            << qint64(1709251199999) << "0.0" << -50.125 << "x"
            << "2024-02-29T23:59:59.999Z,0.0,0.0,-50.125,x";
        QTest::newRow("a comma") << qint64(0) << "0.1" << none << "rig, bench 2"
                                 << "1970-01-01T00:00:00.000Z,0.1,0.1,,\"rig, bench 2\"";
        QTest::newRow("a quote") << qint64(0) << "0.1" << none << "the \"big\" one"
                                 << "1970-01-01T00:00:00.000Z,0.1,0.1,,\"the \"\"big\"\" one\"";
        QTest::newRow("a line break") << qint64(0) << "0.1" << none << "a\nb"
                                      << "1970-01-01T00:00:00.000Z,0.1,0.1,,\"a\nb\"";
        QTest::newRow("a formula") << qint64(0) << "0.1" << none << "=cmd|' /c calc'!A0"
                                   << "1970-01-01T00:00:00.000Z,0.1,0.1,,'=cmd|' /c calc'!A0";
        QTest::newRow("a formula with a comma") << qint64(0) << "0.1" << none << "@x,y"
                                                << "1970-01-01T00:00:00.000Z,0.1,0.1,,\"'@x,y\"";
    }
    void csv() {
        QFETCH(qint64, millis);
        QFETCH(QString, command);
        QFETCH(double, celsius);
        QFETCH(QString, sender);
        QFETCH(QString, line);
        ValueHistory history(2);
        QVERIFY(history.add(at(millis), command.toStdString(),
                            std::isnan(celsius) ? std::nullopt : std::optional(celsius),
                            sender.toStdString()));
        QCOMPARE(historyCsv(history.slice()),
                 "time,command,ohms,celsius,sender\r\n" + line.toStdString() + "\r\n");
    }

    void pageMessage() {
        ValueHistory history(4);
        history.add(at(1000), "1.0", {}, "a \"b\"");
        history.add(at(2000), "00138.5", 100.0, "c");
        history.add(at(3000), "2.0", {}, "a \"b\"");
        QCOMPARE(historyJson(history.slice(1), false),
                 std::string("{\"type\":\"history\",\"whole\":false,\"n\":[2,3],\"t\":[2000,3000],"
                             "\"ohms\":[138.5,2.0],\"celsius\":[100,null],\"by\":[0,1],"
                             "\"senders\":[\"c\",\"a \\\"b\\\"\"]}"));
        QCOMPARE(historyJson(HistorySlice{}, true),
                 std::string("{\"type\":\"history\",\"whole\":true,\"n\":[],\"t\":[],\"ohms\":[],"
                             "\"celsius\":[],\"by\":[],\"senders\":[]}"));
    }

    void progress_data() {
        QTest::addColumn<std::optional<RunProgress>>("progress");
        QTest::addColumn<QString>("json");
        QTest::newRow("none") << std::optional<RunProgress>() << "null";
        QTest::newRow("all known") << std::optional(RunProgress{3, 10, "ramp to \"1k\"", 1000.0,
                                                                std::chrono::seconds(150)})
                                   << "{\"step\":3,\"steps\":10,\"text\":\"ramp to \\\"1k\\\"\","
                                      "\"targetOhms\":1000.0,\"secondsLeft\":150}";
        QTest::newRow("open-ended") << std::optional(RunProgress{7, 0, "", {}, {}})
                                    << "{\"step\":7,\"steps\":0,\"text\":\"\",\"targetOhms\":null,"
                                       "\"secondsLeft\":null}";
    }
    void progress() {
        QFETCH(std::optional<RunProgress>, progress);
        QFETCH(QString, json);
        QCOMPARE(progressJson(progress), json.toStdString());
    }

    // The model keeps what reached the box: its own senders' commands, and
    // another program's from the record; a failed command is not a value the
    // box holds. The progress set shows in the state.
    void modelFeedsTheHistory() {
        int master = -1, slave = -1;
        QVERIFY(openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        const std::string path = ttyname(slave);
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        link::SerialControl control;
        QVERIFY(control.setDevicePath(path));
        PanelModel model(control, path);
        ValueHistory history;
        model.keepHistoryIn(&history);
        control.setCommandObserver([&](const std::string &command, const Status &status) {
            model.commandSent(command, status, "page 127.0.0.1:1", 21.5);
        });
        QVERIFY(!model.apply({Intent::Kind::Preset, 5, {}}));
        char wire[16];
        QCOMPARE(read(master, wire, sizeof wire), ssize_t(7));
        model.commandSent("00042.0", Status::failure(Status::kFailed, "unplugged"),
                          "page 127.0.0.1:1");
        QVERIFY(link::writeCommandRecord(path, {"04700.0", 1796726990986, "6175ZIZ-ctl", 1}));
        model.poll();
        model.poll();  // the same record once
        const auto got = history.entries();
        QCOMPARE(got.size(), std::size_t(2));
        QCOMPARE(got[0].command, std::string("1000.0"));
        QCOMPARE(got[0].celsius, std::optional(21.5));
        QCOMPARE(got[0].sender, std::string("page 127.0.0.1:1"));
        QCOMPARE(got[1].ohms, 4700.0);
        QCOMPARE(got[1].sender, std::string("6175ZIZ-ctl (process 1)"));
        QVERIFY(got[1].unixMillis >= got[0].unixMillis);

        QVERIFY(model.stateJson().find("\"progress\":null") != std::string::npos);
        model.setProgress(RunProgress{2, 5, "hold", 4700.0, std::chrono::seconds(9)});
        QVERIFY(model.stateJson().find("\"progress\":{\"step\":2,\"steps\":5,\"text\":\"hold\","
                                       "\"targetOhms\":4700.0,\"secondsLeft\":9}") !=
                std::string::npos);
        control.setCommandObserver({});
        close(master);
        close(slave);
    }
};

QTEST_APPLESS_MAIN(tst_ValueHistory)
#include "tst_value_history.moc"
