// The panel's value logic driven without a window: a recording view stands in
// for the readout and the link, scripted boxes answer the questions.

#include "frontpanel/panel_logic.h"
#include "frontpanel/panel_texts.h"
#include "support/scripted_boxes.h"

#include <QtTest>

#include <cstdio>
#include <string>
#include <vector>

using namespace zz;

namespace {

struct RecordingView : frontpanel::PanelView {
    std::vector<std::string> sent;
    std::vector<std::string> events;  // "digit i", "panel", "send text"
    bool failSends = false;
    const frontpanel::ValueRegister *reg = nullptr;

    void repaintDigit(int i) override { events.push_back("digit " + std::to_string(i)); }
    void repaintPanel() override { events.push_back("panel " + reg->displayText()); }
    Status send(const std::string &command) override {
        sent.push_back(command);
        events.push_back("send " + command);
        return failSends ? Status::failure(8020, "COM1: no such device") : Status();
    }
};

void load(frontpanel::ValueRegister &reg, const std::string &display) {  // "12345.6"
    for (int i = 2; i <= 6; ++i) reg.setDigitText(i, display.substr(static_cast<size_t>(6 - i), 1));
    reg.setDigitText(1, display.substr(6, 1));
}

QStringList toList(const std::vector<std::string> &v) {
    QStringList out;
    for (const auto &s : v) out << QString::fromStdString(s);
    return out;
}

}  // namespace

class tst_PanelLogic : public QObject {
    Q_OBJECT

    frontpanel::ValueRegister reg;
    RecordingView view;
    test::ScriptedBoxes boxes;
    frontpanel::PanelLogic logic{reg, view, boxes};

private slots:
    void init() {
        reg.reset();
        view = RecordingView{};
        view.reg = &reg;
        boxes = test::ScriptedBoxes{};
    }

    void registerBasics() {
        QCOMPARE(QString::fromStdString(reg.displayText()), QStringLiteral("00000.0"));
        load(reg, "12345.6");
        QCOMPARE(reg.digitText(6), std::string("1"));
        QCOMPARE(reg.digitText(1), std::string("6"));
        reg.setDisplay("99999.9");
        QCOMPARE(QString::fromStdString(reg.displayText()), QStringLiteral("12345.6"));
        reg.reset();
        QCOMPARE(QString::fromStdString(reg.displayText()), QStringLiteral("00000.0"));
        QVERIFY(view.sent.empty());
    }

    void observerSeesEveryChange() {
        std::vector<int> seen;
        reg.setObserver([&](int i) { seen.push_back(i); });
        reg.reset();
        reg.setDigitText(4, "7");
        reg.setObserver(nullptr);
        QCOMPARE(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 4}));
    }

    void wheelSteps_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("sends");

        QTest::newRow("up 0.1 from zero") << "00000.0" << true << 1 << "00000.1" << 1;
        QTest::newRow("up 1 carries once") << "00009.0" << true << 2 << "00010.0" << 2;
        QTest::newRow("up 0.1 carries thrice") << "00099.9" << true << 1 << "00100.0" << 4;
        QTest::newRow("up 0.1 plain") << "12345.6" << true << 1 << "12345.7" << 1;
        QTest::newRow("up 100 from 10000") << "10000.0" << true << 4 << "10100.0" << 1;
        QTest::newRow("up 10k at nine") << "90000.0" << true << 6 << "90000.0" << 1;
        QTest::newRow("carry into 10k") << "09999.9" << true << 1 << "10000.0" << 6;
        QTest::newRow("top saturates 0.1") << "99999.9" << true << 1 << "99999.9" << 1;
        QTest::newRow("top saturates 1") << "99999.0" << true << 2 << "99999.0" << 1;
        QTest::newRow("top not saturated below") << "99990.9" << true << 1 << "99991.0" << 2;
        QTest::newRow("down 100") << "12345.6" << false << 4 << "12245.6" << 1;
        QTest::newRow("down at zero no borrow") << "10000.0" << false << 1 << "10000.0" << 1;
        QTest::newRow("down 10k to zero") << "10000.0" << false << 6 << "00000.0" << 1;
    }
    void wheelSteps() {
        QFETCH(QString, start);
        QFETCH(bool, up);
        QFETCH(int, index);
        QFETCH(QString, after);
        QFETCH(int, sends);
        load(reg, start.toStdString());
        up ? logic.upStep(index) : logic.downStep(index);
        QCOMPARE(QString::fromStdString(reg.displayText()), after);
        QCOMPARE(int(view.sent.size()), sends);
        for (const auto &s : view.sent) QCOMPARE(QString::fromStdString(s), after);
        QVERIFY(boxes.calls.empty());
    }

    // Every arrow against arithmetic on the readout in tenths: for each digit
    // position, each starting digit and three surroundings (zeros, nines,
    // mixed), up adds the digit's weight unless nothing above can take the
    // carry, down subtracts it unless the digit is 0. Each nested carry step
    // sends, so a carry over k nines sends k + 1 times, always the new value.
    void arrowsAgainstArithmetic() {
        for (const char *around : {"00000.0", "99999.9", "31415.9"}) {
            for (int i = 1; i <= frontpanel::ValueRegister::kDigits; ++i) {
                for (int d = 0; d <= 9; ++d) {
                    std::string start = around;
                    start[static_cast<size_t>(i == 1 ? 6 : 6 - i)] = char('0' + d);
                    const long tenths = std::stol(start.substr(0, 5)) * 10 + (start[6] - '0');
                    const auto weightOf = [](int k) {
                        long w = 1;
                        while (--k > 0) w *= 10;
                        return w;
                    };
                    const long weight = weightOf(i);
                    int nines = 0;  // nines from digit i upwards
                    while (i + nines <= frontpanel::ValueRegister::kDigits &&
                           tenths / weightOf(i + nines) % 10 == 9)
                        ++nines;
                    for (bool up : {true, false}) {
                        long expected = tenths;
                        int sends = 1;
                        if (up && tenths + weight <= 999999) {
                            expected = tenths + weight;
                            sends = nines + 1;
                        }
                        if (!up && d > 0) expected = tenths - weight;
                        char text[32];
                        std::snprintf(text, sizeof text, "%05ld.%ld", expected / 10, expected % 10);

                        init();
                        load(reg, start);
                        up ? logic.upStep(i) : logic.downStep(i);
                        const std::string where =
                            start + (up ? " up " : " down ") + std::to_string(i);
                        QVERIFY2(reg.displayText() == text,
                                 (where + " gave " + reg.displayText() + ", not " + text).c_str());
                        QVERIFY2(view.sent == std::vector<std::string>(size_t(sends), text),
                                 (where + ": " + std::to_string(view.sent.size()) + " sends of " +
                                  (view.sent.empty() ? "" : view.sent.back()))
                                     .c_str());
                    }
                }
            }
        }
    }

    void changedDigitIsRepaintedBeforeSending() {
        load(reg, "00009.0");
        logic.upStep(2);
        // Only the digit that took the carry is repainted, before both sends.
        QCOMPARE(toList(view.events), QStringList({"digit 3", "send 00010.0", "send 00010.0"}));
    }

    void failedSendsAreAbsorbed() {
        view.failSends = true;
        load(reg, "00099.9");
        logic.upStep(1);
        logic.downStep(4);
        QCOMPARE(QString::fromStdString(reg.displayText()), QStringLiteral("00000.0"));
        QVERIFY(logic.enterValue("12.25"));
        logic.preset(5);
        QCOMPARE(QString::fromStdString(reg.displayText()), QStringLiteral("01000.0"));
        QVERIFY(boxes.calls.empty());
    }

    void directEntry_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");  // empty: refused
        QTest::addColumn<QString>("message");

        const QString high =
            "Value Out of Range|The value entered is too high (max. = 99999.9 Ohms)";
        const QString low = "Value Out of Range|The value entered is too low (min. = 0.0 Ohms)";
        const QString blank = "No Value Entered|Please enter a value in the box provided.";

        QTest::newRow("plain") << "1234.5"
                               << "01234.5"
                               << "";
        QTest::newRow("whole") << "5"
                               << "00005.0"
                               << "";
        QTest::newRow("rounded") << "1234.56"
                                 << "01234.6"
                                 << "";
        QTest::newRow("half up") << "12.25"
                                 << "00012.3"
                                 << "";
        QTest::newRow("binary just below half") << "0.15"
                                                << "00000.2"
                                                << "";
        QTest::newRow("small") << "0.04"
                               << "00000.0"
                               << "";
        QTest::newRow("top") << "99999.9"
                             << "99999.9"
                             << "";
        QTest::newRow("top rounded down") << "99999.94"
                                          << "99999.9"
                                          << "";
        QTest::newRow("letters") << "abc"
                                 << "00000.0"
                                 << "";
        QTest::newRow("lone point") << "."
                                    << "00000.0"
                                    << "";
        QTest::newRow("lone tab") << "\t"
                                  << "00000.0"
                                  << "";
        QTest::newRow("comma") << "12,5"
                               << "00012.0"
                               << "";
        QTest::newRow("trailing word") << "25 ohms"
                                       << "00025.0"
                                       << "";
        QTest::newRow("blanks inside") << " 1 0 0 "
                                       << "00100.0"
                                       << "";
        QTest::newRow("exponent") << "1e3"
                                  << "01000.0"
                                  << "";
        QTest::newRow("hex") << "&HFF"
                             << "00255.0"
                             << "";
        QTest::newRow("empty") << ""
                               << "" << blank;
        QTest::newRow("spaces") << "   "
                                << "" << blank;
        QTest::newRow("rounds over") << "99999.95"
                                     << "" << high;
        QTest::newRow("100000") << "100000"
                                << "" << high;
        QTest::newRow("1e6") << "1e6"
                             << "" << high;
        QTest::newRow("beyond double") << "1e999"
                                       << "" << high;
        QTest::newRow("negative") << "-12"
                                  << "" << low;
        QTest::newRow("small negative") << "-0.04"
                                        << "" << low;
        QTest::newRow("beyond double negative") << "-1e999"
                                                << "" << low;
    }
    void directEntry() {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        QFETCH(QString, message);
        load(reg, "12345.6");
        const bool taken = logic.enterValue(typed.toStdString());
        QCOMPARE(taken, !sent.isEmpty());
        QCOMPARE(boxes.shown(), message.isEmpty() ? QStringList() : QStringList{message});
        if (sent.isEmpty()) {
            QVERIFY(view.sent.empty());
            QCOMPARE(QString::fromStdString(reg.displayText()), QStringLiteral("12345.6"));
        } else {
            QCOMPARE(toList(view.sent), QStringList{sent});
            QCOMPARE(QString::fromStdString(reg.displayText()), sent);
            // The whole panel is repainted with the new value before it is sent.
            QCOMPARE(toList(view.events), QStringList({"panel " + sent, "send " + sent}));
        }
    }

    void presets_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("sent");
        QTest::newRow("0.1") << 1 << "00000.1"
                             << "0.1";
        QTest::newRow("1") << 2 << "00001.0"
                           << "1.0";
        QTest::newRow("10") << 3 << "00010.0"
                            << "10.0";
        QTest::newRow("100") << 4 << "00100.0"
                             << "100.0";
        QTest::newRow("1k") << 5 << "01000.0"
                            << "1000.0";
        QTest::newRow("10k") << 6 << "10000.0"
                             << "10000.0";
        QTest::newRow("100k") << 7 << "99999.9"
                              << "99999.9";
        QTest::newRow("unknown index") << 8 << "12345.6"
                                       << "";
    }
    void presets() {
        QFETCH(int, index);
        QFETCH(QString, display);
        QFETCH(QString, sent);
        load(reg, "12345.6");
        logic.preset(index);
        logic.preset(index);  // pressing twice sends twice
        QCOMPARE(QString::fromStdString(reg.displayText()), display);
        QCOMPARE(toList(view.sent), sent.isEmpty() ? QStringList() : QStringList({sent, sent}));
        if (!sent.isEmpty())
            QCOMPARE(QString::fromStdString(view.events.front()), "panel " + display);
    }

    // A value another program sent: shown, never sent; anything that is not
    // a plain decimal value the readout can hold changes nothing.
    void follow_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("shown");  // empty: refused
        QTest::newRow("direct entry text") << QString("00555.5") << QString("00555.5");
        QTest::newRow("preset text") << QString("0.1") << QString("00000.1");
        QTest::newRow("start command") << QString("10000") << QString("10000.0");
        QTest::newRow("top") << QString("99999.9") << QString("99999.9");
        QTest::newRow("rounds above the top") << QString("99999.95") << QString();
        QTest::newRow("above") << QString("100000.0") << QString();
        QTest::newRow("negative") << QString("-1.0") << QString();
        QTest::newRow("sign") << QString("+1.0") << QString();
        QTest::newRow("exponent") << QString("1e3") << QString();
        QTest::newRow("trailing text") << QString("12.5x") << QString();
        QTest::newRow("leading blank") << QString(" 12.5") << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("hex") << QString("0x10") << QString();
    }
    void follow() {
        QFETCH(QString, command);
        QFETCH(QString, shown);
        load(reg, "01234.5");
        QCOMPARE(logic.follow(command.toStdString()), !shown.isEmpty());
        QCOMPARE(QString::fromStdString(reg.displayText()), shown.isEmpty() ? "01234.5" : shown);
        QVERIFY(view.sent.empty());
    }

    void zeroAsksFirst_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void zeroAsksFirst() {
        QFETCH(bool, yes);
        boxes.answers = {yes};
        load(reg, "12345.6");
        logic.preset(0);
        QCOMPARE(boxes.shown(), QStringList{"Set to ZERO|Set to ZERO\r\rAre You Sure?"});
        QCOMPARE(QString::fromStdString(reg.displayText()), yes ? "00000.0" : "12345.6");
        QCOMPARE(toList(view.sent), yes ? QStringList{"0.0"} : QStringList());
        // The zeros are on screen before the command goes out.
        QCOMPARE(toList(view.events),
                 yes ? QStringList({"panel 00000.0", "send 0.0"}) : QStringList());
    }
};

QTEST_APPLESS_MAIN(tst_PanelLogic)
#include "tst_panel_logic.moc"
