// The web front panel's parts without a network: what a page may say, which
// Host and Origin headers pass, the text pushed to pages, the panel model's
// commands on a real pseudo-terminal, and the server's slot and queue rules.

#include "scpi/quick_line.h"
#include "web/host_check.h"
#include "web/json_text.h"
#include "web/page_message.h"
#include "web/page_token.h"
#include "web/panel_model.h"

#include <QtTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>

using namespace zz;
using namespace zz::web;
using Kind = Intent::Kind;

Q_DECLARE_METATYPE(std::optional<zz::web::Intent>)

class tst_WebParts : public QObject {
    Q_OBJECT

private slots:
    void pageMessages_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<std::optional<Intent>>("intent");
        const auto is = [](Kind k, int n = 0, std::string t = {}) {
            return std::optional<Intent>(Intent{k, n, std::move(t)});
        };
        const std::optional<Intent> none;
        QTest::newRow("up 1") << QByteArray("up 1") << is(Kind::Up, 1);
        QTest::newRow("down 6") << QByteArray("down 6") << is(Kind::Down, 6);
        QTest::newRow("preset 7") << QByteArray("preset 7") << is(Kind::Preset, 7);
        QTest::newRow("zero") << QByteArray("zero") << is(Kind::Zero);
        QTest::newRow("resend") << QByteArray("resend") << is(Kind::Resend);
        QTest::newRow("ping") << QByteArray("ping") << is(Kind::Ping);
        QTest::newRow("typed") << QByteArray("enter 1.2 k") << is(Kind::Enter, 0, "1.2 k");
        QTest::newRow("typed blank") << QByteArray("enter ") << is(Kind::Enter, 0, "");
        QTest::newRow("true on") << QByteArray("true on") << is(Kind::TrueMode, 1);
        QTest::newRow("true off") << QByteArray("true off") << is(Kind::TrueMode, 0);
        QTest::newRow("true bare") << QByteArray("true") << none;
        QTest::newRow("true yes") << QByteArray("true yes") << none;
        QTest::newRow("true on twice") << QByteArray("true on on") << none;
        QTest::newRow("digit 0") << QByteArray("up 0") << none;
        QTest::newRow("digit 7") << QByteArray("down 7") << none;
        QTest::newRow("preset 0 is ZERO's own") << QByteArray("preset 0") << none;
        QTest::newRow("two digits") << QByteArray("up 11") << none;
        QTest::newRow("no number") << QByteArray("up") << none;
        QTest::newRow("zero with text") << QByteArray("zero now") << none;
        QTest::newRow("value, not intent") << QByteArray("set 01234.5") << none;
        QTest::newRow("control char") << QByteArray("enter 1\r2") << none;
        QTest::newRow("long typed") << QByteArray("enter " + QByteArray(65, '1')) << none;
        QTest::newRow("upper case") << QByteArray("UP 1") << none;
        QTest::newRow("empty") << QByteArray() << none;
    }
    void pageMessages() {
        QFETCH(QByteArray, message);
        QFETCH(std::optional<Intent>, intent);
        QCOMPARE(parsePageMessage(message.toStdString()), intent);
    }

    void hosts_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("loopback") << "127.0.0.1:8080" << true;
        QTest::newRow("localhost, any case") << "LocalHost:8080" << true;
        QTest::newRow("v6 loopback") << "[::1]:8080" << true;
        QTest::newRow("a LAN address") << "192.168.1.20:8080" << true;
        QTest::newRow("served name") << "bench-pc:8080" << true;
        QTest::newRow("served .local name") << "bench-pc.local:8080" << true;
        QTest::newRow("rebound name") << "evil.example:8080" << false;
        QTest::newRow("a name shaped like a number") << "0x7f.1:8080" << false;
        QTest::newRow("other port") << "127.0.0.1:8081" << false;
        QTest::newRow("no port means 80") << "127.0.0.1" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("bad port") << "127.0.0.1:80x" << false;
        QTest::newRow("unbracketed v6") << "::1:8080" << false;
    }
    void hosts() {
        QFETCH(QString, host);
        QFETCH(bool, allowed);
        const ServedNames served{8080, {"bench-pc", "bench-pc.local"}};
        QCOMPARE(hostAllowed(host.toStdString(), served), allowed);
    }

    void origins() {
        QVERIFY(originAllowed("http://127.0.0.1:8080", "127.0.0.1:8080"));
        QVERIFY(originAllowed("http://Bench-PC:8080", "bench-pc:8080"));
        QVERIFY(!originAllowed("https://127.0.0.1:8080", "127.0.0.1:8080"));
        QVERIFY(!originAllowed("http://127.0.0.1:8080.evil", "127.0.0.1:8080"));
        QVERIFY(!originAllowed("null", "127.0.0.1:8080"));
        QVERIFY(!originAllowed("", ""));
    }

    void jsonText() {
        QCOMPARE(jsonString("a\"b\\c\r\n\x01"), std::string("\"a\\\"b\\\\c\\r\\n\\u0001\""));
        QCOMPARE(jsonString("\xCE\xA9"), std::string("\"\xCE\xA9\""));  // UTF-8 kept
        QCOMPARE(jsonString("x\xFFy"), std::string("\"x?y\""));         // never a broken text frame
    }

    // The page's actions on a real pseudo-terminal: exactly the desktop's bytes.
    void modelSendsThePanelsCommands() {
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
        std::string sent;
        control.setCommandObserver([&](const std::string &command, const Status &status) {
            model.commandSent(command, status, "page 127.0.0.1:1");
            if (status) sent += command + "\r";
        });
        struct Step {
            Intent intent;
            std::string frames;
            std::optional<std::string> refusal;
        };
        const Step steps[] = {
            {{Kind::Enter, 0, "99.9"}, "00099.9\r", {}},
            {{Kind::Up, 1, {}}, std::string("00100.0\r").append("00100.0\r00100.0\r00100.0\r"), {}},
            {{Kind::Down, 1, {}}, "00100.0\r", {}},
            {{Kind::Preset, 6, {}}, "10000.0\r", {}},
            {{Kind::Zero, 0, {}}, "0.0\r", {}},
            {{Kind::Enter, 0, "100000"}, "", "The value entered is too high (max. = 99999.9 Ohms)"},
            {{Kind::Resend, 0, {}}, "00000.0\r", {}},
        };
        for (const Step &step : steps) {
            sent.clear();
            const auto message = model.apply(step.intent);
            QCOMPARE(sent, step.frames);
            QCOMPARE(message ? std::optional(message->text) : std::nullopt, step.refusal);
            std::string wire(step.frames.size() + 16, '\0');
            const auto n = step.frames.empty() ? 0 : read(master, wire.data(), wire.size());
            QCOMPARE(std::string(wire.data(), std::size_t(std::max<ssize_t>(n, 0))), step.frames);
        }
        QVERIFY(model.stateJson().find("\"readout\":\"00000.0\",\"lamp\":\"green\"") !=
                std::string::npos);
        control.setCommandObserver({});
        close(master);
        close(slave);
    }

    // The page under a box's profile: refusals as messages or the caption's
    // note, nothing on the wire; true mode's digits and text in the state.
    void modelHoldsTheProfile() {
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
        profile::Profile box;
        box.serial = "A12345";
        box.name = "Bench 3";
        box.leadOffsetOhms = 0.35;
        box.limits.maxOhms = 2000.0;
        profile::CorrectionTable table = profile::nominalTable();
        for (int k = 1; k <= 9; ++k) table.steps[4][k - 1] = k * 1000.0 - 0.03;
        table.due = "2027-01-10";
        box.table = table;
        model.setToday("2027-02-01");
        model.setRules(profile::BoxRules(box));
        const std::string above = "above the limit 2000.0 \u03A9 of this box's profile";
        struct Step {
            Intent intent;
            std::string frames;
            std::optional<std::string> refusal;
            std::string inState;  // a part of the state after it
        };
        const Step steps[] = {
            {{Kind::Enter, 0, "2100"}, "", above, "\"note\":\"" + above},
            {{Kind::Preset, 6, {}}, "", above, "\"readout\":\"00000.0\""},
            {{Kind::Enter, 0, "1999.9"}, "01999.9\r", {}, "\"note\":\"\""},
            {{Kind::Up, 2, {}}, "", {}, "\"note\":\"" + above},
            {{Kind::TrueMode, 1, {}}, "", {}, "\"trueMode\":true,\"trueOffered\":true"},
            {{Kind::Enter, 0, "1000"},
             "01000.0\r",
             {},
             "\"trueText\":\"01000.0 \u2192 999.97 \u03A9 true\""},
            {{Kind::Resend, 0, {}}, "01000.0\r", {}, "\"trueMode\":true"},
            {{Kind::TrueMode, 0, {}},
             "",
             {},
             "\"trueMode\":false,\"trueOffered\":true,\"trueText\":\"\""},
        };
        std::string sent;
        control.setCommandObserver([&](const std::string &command, const Status &status) {
            model.commandSent(command, status, "page 127.0.0.1:1");
            if (status) sent += command + "\r";
        });
        for (const Step &step : steps) {
            sent.clear();
            const auto message = model.apply(step.intent);
            QCOMPARE(sent, step.frames);
            QCOMPARE(message ? std::optional(message->text) : std::nullopt, step.refusal);
            std::string wire(step.frames.size() + 16, '\0');
            const auto n = step.frames.empty() ? 0 : read(master, wire.data(), wire.size());
            QCOMPARE(std::string(wire.data(), std::size_t(std::max<ssize_t>(n, 0))), step.frames);
            QVERIFY2(model.stateJson().find(step.inState) != std::string::npos,
                     model.stateJson().c_str());
        }
        const std::string state = model.stateJson();
        for (const char *part : {"\"boxName\":\"Bench 3\"", "\"boxSerial\":\"A12345\"",
                                 "\"leadOffset\":\"0.350\"", "\"overdue\":\"the correction table"})
            QVERIFY2(state.find(part) != std::string::npos, part);
        // Without a table the switch is not offered and refuses.
        box.table.reset();
        model.setRules(profile::BoxRules(box));
        const auto refusal = model.apply({Kind::TrueMode, 1, {}});
        QVERIFY(refusal && refusal->text.find("correction table") != std::string::npos);
        QVERIFY(model.stateJson().find("\"trueMode\":false,\"trueOffered\":false") !=
                std::string::npos);
        control.setCommandObserver({});
        close(master);
        close(slave);
    }

    // The token as a request brings it: the cookie of this port only, the
    // query's own parameter, and nothing that merely ends in the name.
    void tokenInRequests_data() {
        QTest::addColumn<QString>("cookies");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("cookie") << "a=1; token_8080=t0k"
                                << "/" << true;
        QTest::newRow("cookie alone") << "token_8080=t0k"
                                      << "/panel.js" << true;
        QTest::newRow("another port's") << "token_8081=t0k"
                                        << "/" << false;
        QTest::newRow("a longer name") << "xtoken_8080=t0k"
                                       << "/" << false;
        QTest::newRow("a longer value") << "token_8080=t0kk"
                                        << "/" << false;
        QTest::newRow("a shorter value") << "token_8080=t0"
                                         << "/" << false;
        QTest::newRow("query") << ""
                               << "/?token=t0k" << true;
        QTest::newRow("query among others") << ""
                                            << "/?x=1&token=t0k&y" << true;
        QTest::newRow("query before a fragment") << ""
                                                 << "/?token=t0k#top" << true;
        QTest::newRow("a parameter ending so") << ""
                                               << "/?mytoken=t0k" << false;
        QTest::newRow("in the path") << ""
                                     << "/token=t0k" << false;
        QTest::newRow("empty") << "token_8080="
                               << "/?token=" << false;
    }
    void tokenInRequests() {
        QFETCH(QString, cookies);
        QFETCH(QString, target);
        QFETCH(bool, accepted);
        const std::string cookieText = cookies.toStdString(), targetText = target.toStdString();
        const auto held = web::cookieValue(cookieText, web::tokenCookieName(8080));
        const auto given = web::queryValue(targetText, "token");
        QCOMPARE((held && web::sameToken(*held, "t0k")) || (given && web::sameToken(*given, "t0k")),
                 accepted);
    }

    void newTokens() {
        const std::string one = web::newPageToken(), two = web::newPageToken();
        QCOMPARE(one.size(), std::size_t(32));
        QVERIFY(one.find_first_not_of("0123456789abcdef") == std::string::npos);
        QVERIFY(one != two);
    }

    // Which lines may skip the link's queue: only those that never reach the box.
    void quickLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("quick");
        for (const char *line : {"*IDN?", " *idn? ", "*ESR?;*STB?", "SYST:ERR?",
                                 ":system:error:count?", "SYST:VERS?;*IDN?"})
            QTest::newRow(line) << QString(line) << true;
        for (const char *line :
             {"", "RES 5", "RES?", "*IDN?;RES 5", "*RST", "*IDN", "TEMP?", "SYST:ERR? 5",
              "*IDN?;:RES?", "SOUR:RES?", "*TST?", "*WAI", "*IDN?;", "UNIT:TEMP?", "*CLS",
              "SYST:ERR?;COUN?" /* relative: left to the queue */,
              "*OPC?" /* waits for a run's end, which the link's thread knows */})
            QTest::newRow(line) << QString(line) << false;
    }
    void quickLines() {
        QFETCH(QString, line);
        QFETCH(bool, quick);
        QCOMPARE(scpi::answeredWithoutTheBox(line.toStdString()), quick);
    }
};

QTEST_APPLESS_MAIN(tst_WebParts)
#include "tst_web_parts.moc"
