// The panel's value logic under a box's profile: what goes out (exactly, in
// order) for each control when the profile sets limits, holds a correction
// table, or is refused; what the digits and the caption show then.

#include "frontpanel/panel_logic.h"
#include "frontpanel/panel_profile.h"
#include "frontpanel/panel_texts.h"
#include "profile/profile_file.h"
#include "support/bytes.h"
#include "support/scripted_boxes.h"

#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace zz;

namespace {

struct RecordingView : frontpanel::PanelView {
    std::vector<std::string> sent;  // what reached the line
    int captions = 0;
    int failing = 0;  // the next sends that fail (a link that dropped)
    Status send(const std::string &command) override {
        if (failing > 0 && failing--) return Status::failure(Status::kFailed, "dropped");
        sent.push_back(command);
        return {};
    }
    void repaintDigit(int) override {}
    void repaintPanel() override {}
    void captionChanged() override { ++captions; }
};

profile::Profile withMax(double max, std::optional<double> change = std::nullopt) {
    profile::Profile profile;
    profile.limits.minOhms = 10.0;
    profile.limits.maxOhms = max;
    profile.limits.maxChangeOhms = change;
    return profile;
}

// The 1 kΩ decade's first step measures 999.97 Ω; the table was due in 2027.
profile::Profile withTable() {
    profile::Profile profile = withMax(99999.9);
    profile::CorrectionTable table = profile::nominalTable();
    for (int k = 1; k <= 9; ++k) table.steps[4][k - 1] = k * 1000.0 - 0.03;
    table.due = "2027-01-10";
    profile.table = table;
    return profile;
}

profile::BoxRules rulesNamed(const QString &name) {
    if (name == "max 10k") return profile::BoxRules(withMax(10000.0));
    if (name == "max 2000") return profile::BoxRules(withMax(2000.0));
    if (name == "max 9999.9") return profile::BoxRules(withMax(9999.9));
    if (name == "change 500") return profile::BoxRules(withMax(99999.9, 500.0));
    if (name == "table") return profile::BoxRules(withTable());
    if (name == "refused")
        return profile::BoxRules::fromLoaded(Outcome<std::optional<profile::Profile>>::failure(
            "/cfg/boxes/com1.toml:3: max below min"));
    return {};
}

void load(frontpanel::ValueRegister &reg, const std::string &display) {  // "12345.6"
    for (int i = 2; i <= 6; ++i) reg.setDigitText(i, display.substr(static_cast<size_t>(6 - i), 1));
    reg.setDigitText(1, display.substr(6, 1));
}

void act(frontpanel::PanelLogic &logic, const QString &action) {
    const QStringList words = action.split(' ');
    const QString verb = words[0];
    const QString rest = words.mid(1).join(' ');
    if (verb == "up") logic.upStep(rest.toInt());
    if (verb == "down") logic.downStep(rest.toInt());
    if (verb == "enter") logic.enterValue(rest.toStdString());
    if (verb == "preset") logic.preset(rest.toInt());
    if (verb == "resend") logic.resend();
    if (verb == "follow") logic.follow(rest.toStdString());
}

// One action, or several separated by ";"; "fail" makes the next send fail.
void act(frontpanel::PanelLogic &logic, RecordingView &view, const QString &actions) {
    for (const QString &action : actions.split(';')) {
        if (action == "fail") ++view.failing;
        act(logic, action);
    }
}

}  // namespace

class tst_PanelRules : public QObject {
    Q_OBJECT

    frontpanel::ValueRegister reg;
    RecordingView view;
    test::ScriptedBoxes boxes;
    std::optional<frontpanel::PanelLogic> logic;

private slots:
    void init() {
        reg.reset();
        view = RecordingView{};
        boxes = test::ScriptedBoxes{};
        logic.emplace(reg, view, boxes);
    }

    void actions_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<bool>("trueMode");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("caption");  // a part of it; empty: none
        QTest::addColumn<QString>("box");      // "title|text"; empty: none

        const QString above2000 = "above the limit 2000.0 \u03A9 of this box's profile";
        const QString out = frontpanel::panel_text::kOutOfRangeTitle;
        const QStringList carry(6, "10000.0");
        // The carry over 09999.9 sends the new value once per decade.
        QTest::newRow("carry without profile") << "" << false << "09999.9"
                                               << "up 1" << carry << "10000.0"
                                               << ""
                                               << "";
        QTest::newRow("carry up to the max") << "max 10k" << false << "09999.9"
                                             << "up 1" << carry << "10000.0"
                                             << ""
                                             << "";
        QTest::newRow("carry across the max") << "max 9999.9" << false << "09999.9"
                                              << "up 1" << QStringList() << "09999.9"
                                              << "above the limit 9999.9 \u03A9"
                                              << "";
        QTest::newRow("arrow past the max")
            << "max 2000" << false << "01999.9"
            << "up 2" << QStringList() << "01999.9" << above2000 << "";
        QTest::newRow("arrow to the max") << "max 2000" << false << "01999.9"
                                          << "up 1" << QStringList(5, "02000.0") << "02000.0"
                                          << ""
                                          << "";
        QTest::newRow("arrow below the min") << "max 2000" << false << "00010.5"
                                             << "down 3" << QStringList() << "00010.5"
                                             << "below the limit 10.0 \u03A9"
                                             << "";
        QTest::newRow("down at zero digit resends")
            << "max 2000" << false << "00010.5"
            << "down 4" << QStringList{"00010.5"} << "00010.5"
            << ""
            << "";
        QTest::newRow("arrow change too large") << "change 500" << false << "00100.0"
                                                << "up 5" << QStringList() << "00100.0"
                                                << "above the limit 500.0 \u03A9 per command"
                                                << "";
        // A send that failed did not move the box: the change counts from
        // what it holds.
        QTest::newRow("change after a failed send")
            << "change 500" << false << "00100.0"
            << "follow 01000.0;fail;enter 1400;enter 1800" << QStringList() << "01400.0"
            << "a change of 800.0 \u03A9 from 1000.0 \u03A9"
            << out +
                   "|a change of 800.0 \u03A9 from 1000.0 \u03A9, above the limit 500.0 \u03A9 "
                   "per command of this box's profile";
        QTest::newRow("change after a send that went")
            << "change 500" << false << "00100.0"
            << "follow 01000.0;enter 1400;enter 1800" << QStringList{"01400.0", "01800.0"}
            << "01800.0"
            << ""
            << "";
        QTest::newRow("typed above the max")
            << "max 2000" << false << "00100.0"
            << "enter 2100" << QStringList() << "00100.0" << above2000 << out + "|" + above2000;
        QTest::newRow("typed at the max") << "max 2000" << false << "00100.0"
                                          << "enter 2000" << QStringList{"02000.0"} << "02000.0"
                                          << ""
                                          << "";
        QTest::newRow("typed beyond the box stays the box's refusal")
            << "max 2000" << false << "00100.0"
            << "enter 123456" << QStringList() << "00100.0"
            << "" << out + "|" + QString::fromStdString(frontpanel::panel_text::tooHighPrompt());
        QTest::newRow("preset above the max")
            << "max 2000" << false << "00100.0"
            << "preset 6" << QStringList() << "00100.0" << above2000 << out + "|" + above2000;
        QTest::newRow("preset inside keeps its text")
            << "max 2000" << false << "00100.0"
            << "preset 5" << QStringList{"1000.0"} << "01000.0"
            << ""
            << "";
        QTest::newRow("zero below the min is not asked")
            << "max 2000" << false << "00100.0"
            << "preset 0" << QStringList() << "00100.0"
            << "below the limit 10.0 \u03A9"
            << out + "|below the limit 10.0 \u03A9 of this box's profile";
        QTest::newRow("resend outside")
            << "max 2000" << false << "05000.0"
            << "resend" << QStringList() << "05000.0" << above2000 << "";
        QTest::newRow("followed outside is shown") << "max 2000" << false << "00100.0"
                                                   << "follow 05000.0" << QStringList() << "05000.0"
                                                   << ""
                                                   << "";
        const QString refused =
            "the profile /cfg/boxes/com1.toml:3: max below min; nothing is "
            "sent to this port until it is mended";
        QTest::newRow("refused: arrow") << "refused" << false << "00100.0"
                                        << "up 1" << QStringList() << "00100.0" << refused << "";
        QTest::newRow("refused: typed")
            << "refused" << false << "00100.0"
            << "enter 5" << QStringList() << "00100.0" << refused
            << QString(frontpanel::panel_text::kProfileTitle) + "|" + refused;
        QTest::newRow("refused: resend") << "refused" << false << "00100.0"
                                         << "resend" << QStringList() << "00100.0" << refused << "";
        // True mode: typed values and presets are the true target.
        QTest::newRow("true: typed 1000") << "table" << true << "00100.0"
                                          << "enter 1000" << QStringList{"01000.0"} << "01000.0"
                                          << "01000.0 \u2192 999.97 \u03A9 true"
                                          << "";
        QTest::newRow("true: typed 1000.07")
            << "table" << true << "00100.0"
            << "enter 1000.07" << QStringList{"01000.1"} << "01000.1"
            << "01000.1 \u2192 1000.07 \u03A9 true"
            << "";
        QTest::newRow("true: preset 1k") << "table" << true << "00100.0"
                                         << "preset 5" << QStringList{"01000.0"} << "01000.0"
                                         << "01000.0 \u2192 999.97 \u03A9 true"
                                         << "";
        QTest::newRow("true: arrows step the digits")
            << "table" << true << "00999.9"
            << "up 1" << QStringList(5, "01000.0") << "01000.0"
            << "01000.0 \u2192 999.97 \u03A9 true"
            << "";
        QTest::newRow("true: followed") << "table" << true << "00100.0"
                                        << "follow 02000.0" << QStringList() << "02000.0"
                                        << "02000.0 \u2192 1999.97 \u03A9 true"
                                        << "";
        QTest::newRow("nominal with a table: no true text")
            << "table" << false << "00100.0"
            << "enter 1000" << QStringList{"01000.0"} << "01000.0"
            << ""
            << "";
    }
    void actions() {
        QFETCH(QString, rules);
        QFETCH(bool, trueMode);
        QFETCH(QString, start);
        QFETCH(QString, action);
        QFETCH(QStringList, sent);
        QFETCH(QString, after);
        QFETCH(QString, caption);
        QFETCH(QString, box);
        logic->setToday("2026-12-08");
        logic->setRules(rulesNamed(rules));
        QCOMPARE(logic->setTrueMode(trueMode), true);
        load(reg, start.toStdString());
        boxes.answers = {true};
        act(*logic, view, action);
        QStringList went;
        for (const auto &s : view.sent) went << QString::fromStdString(s);
        QCOMPARE(went, sent);
        QCOMPARE(QString::fromStdString(reg.displayText()), after);
        const QString shown = QString::fromStdString(logic->caption());
        if (caption.isEmpty())
            QCOMPARE(shown, QString());
        else
            QVERIFY2(shown.contains(caption), qPrintable(shown));
        QStringList expectedBoxes;
        if (!box.isEmpty()) expectedBoxes << box;
        QCOMPARE(boxes.shown(), expectedBoxes);
    }

    void trueModeNeedsATable() {
        logic->setRules(profile::BoxRules(withMax(2000.0)));
        QVERIFY(!logic->setTrueMode(true));
        QVERIFY(!logic->trueMode());
        QVERIFY(QString::fromStdString(logic->caption()).contains("correction table"));
        logic->setRules(profile::BoxRules(withTable()));
        QVERIFY(logic->setTrueMode(true));
        // A profile read again without its table ends true mode.
        logic->setRules(profile::BoxRules(withMax(2000.0)), "read again");
        QVERIFY(!logic->trueMode());
        QCOMPARE(
            logic->caption(),
            std::string("read again; true values off: the profile has no correction table now"));
    }

    void overdueWarnsOnce() {
        frontpanel::ValueRegister ownReg;
        RecordingView ownView;
        frontpanel::PanelLogic fresh(ownReg, ownView, boxes);
        fresh.setToday("2027-02-01");
        fresh.setRules(profile::BoxRules(withTable()));
        QVERIFY(QString::fromStdString(fresh.caption()).contains("was due on 2027-01-10"));
        fresh.setRules(profile::BoxRules(withTable()), "read again");
        QCOMPARE(fresh.caption(), std::string("read again"));
        QVERIFY(ownView.captions >= 2);
    }

    void startValue_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("record");  // the device's last command; empty: none
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no profile") << ""
                                    << "" << true << "00000.0";
        QTest::newRow("max 10k") << "max 10k"
                                 << "" << true << "00000.0";
        QTest::newRow("max 2000") << "max 2000"
                                  << "" << false << "00000.0";
        QTest::newRow("refused") << "refused"
                                 << "" << false << "00000.0";
        // The largest change counts from what the box was last set to.
        QTest::newRow("change 500 from 100") << "change 500"
                                             << "00100.0" << false << "00100.0";
        QTest::newRow("change 500 from 9600") << "change 500"
                                              << "09600.0" << true << "00000.0";
        QTest::newRow("change 500, nothing known") << "change 500"
                                                   << "" << true << "00000.0";
    }
    void startValue() {
        QFETCH(QString, rules);
        QFETCH(QString, record);
        QFETCH(bool, allowed);
        QFETCH(QString, shown);
        logic->setRules(rulesNamed(rules));
        const auto last = record.isEmpty() ? std::nullopt : std::optional(record.toStdString());
        QCOMPARE(logic->startAllowed(last), allowed);
        QCOMPARE(QString::fromStdString(reg.displayText()), shown);
        QVERIFY(view.sent.empty());
        if (!allowed) {
            QVERIFY(QString::fromStdString(logic->caption()).startsWith("the start value 10000.0"));
            return;
        }
        // Sent: the next change counts from 10000.0, whatever the readout shows.
        logic->startSent({});
        act(*logic, view, "enter 10400");
        QCOMPARE(view.sent.size(), std::size_t(rules == "max 10k" ? 0 : 1));
    }

    // The panel's port's file: read at the first look, again when it changes.
    void portProfileFollowsItsFile() {
        QTemporaryDir scratch;
        const std::string folder = scratch.path().toStdString();
        std::filesystem::create_directories(folder + "/boxes");
        const std::string file = profile::profilePath(folder, profile::portProfileName(3));
        frontpanel::PanelProfile watched(folder);
        QCOMPARE(watched.look(3), std::optional<std::string>());  // no file: no news
        QCOMPARE(watched.look(2), std::optional<std::string>());  // nor on another port
        QCOMPARE(watched.look(3), std::optional<std::string>());
        QVERIFY(test::writeSettledFile(QString::fromStdString(file), "[limits]\nmax = 2000.0\n"));
        const auto read = watched.look(3);
        QVERIFY(read && read->find("was read again") != std::string::npos);
        QCOMPARE(watched.rules().maxOhms(), 2000.0);
        QCOMPARE(watched.look(3), std::optional<std::string>());
        QVERIFY(test::writeSettledFile(QString::fromStdString(file), "[limits]\nmax = oops\n"));
        QCOMPARE(watched.look(3), std::optional<std::string>(""));  // the rules say why
        QVERIFY(!watched.rules().usable());
        const auto other = watched.look(4);
        QVERIFY(other && other->find("no limits") != std::string::npos);
        QVERIFY(watched.rules().usable());
    }
};

QTEST_APPLESS_MAIN(tst_PanelRules)
#include "tst_panel_rules.moc"
