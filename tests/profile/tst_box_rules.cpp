// What a box's profile allows, as every front end asks it: a refused
// profile stops everything, values are held to the limits, sensor values
// lose the lead offset, true mode takes the table's digits; and a watched
// file is read again when it changes.

#include "profile/box_rules.h"
#include "profile/profile_watch.h"

#include <QtTest>

#include <filesystem>
#include <fstream>

using namespace zz::profile;

namespace {

Profile limited() {
    Profile profile;
    profile.limits.minOhms = 10.0;
    profile.limits.maxOhms = 2000.0;
    profile.limits.maxChangeOhms = 500.0;
    profile.leadOffsetOhms = 0.4;
    return profile;
}

Profile withTable(double step1000) {
    Profile profile = limited();
    CorrectionTable table = nominalTable();
    for (int k = 1; k <= 9; ++k) table.steps[4][k - 1] = k * step1000;
    table.due = "2027-01-10";
    profile.table = table;
    return profile;
}

void write(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Written, and the writer long done.
void writeSettled(const std::string &path, const std::string &text) {
    write(path, text);
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(2));
}

}  // namespace

class tst_BoxRules : public QObject {
    Q_OBJECT

private slots:
    void answers_data() {
        QTest::addColumn<int>("rules");  // 0 none, 1 limited, 2 refused profile, 3 off the grid
        QTest::addColumn<QString>("command");
        QTest::addColumn<double>("last");  // < 0: none known
        QTest::addColumn<QString>("refusal");
        QTest::newRow("no profile, anything") << 0 << "99999.9" << -1.0 << "";
        QTest::newRow("inside") << 1 << "01000.0" << -1.0 << "";
        QTest::newRow("at the top") << 1 << "02000.0" << -1.0 << "";
        QTest::newRow("above") << 1 << "02000.1" << -1.0
                               << "above the limit 2000.0 \u03A9 of this box's profile";
        QTest::newRow("below") << 1 << "00009.9" << -1.0
                               << "below the limit 10.0 \u03A9 of this box's profile";
        QTest::newRow("too large a change") << 1 << "01600.0" << 1000.0 << "a change of";
        QTest::newRow("refused profile")
            << 2 << "01000.0" << -1.0 << "the profile com3.toml:3: limits.max must be";
        // Limits between two steps are taken inwards, never rounded past.
        QTest::newRow("above a top between steps")
            << 3 << "02000.1" << -1.0 << "above the limit 2000.0 \u03A9 of this box's profile";
        QTest::newRow("below a bottom between steps")
            << 3 << "00010.0" << -1.0 << "below the limit 10.1 \u03A9 of this box's profile";
        QTest::newRow("a change past a largest change between steps")
            << 3 << "00510.1" << 10.1
            << "a change of 500.0 \u03A9 from 10.1 \u03A9, above the "
               "limit 499.9 \u03A9";
        QTest::newRow("inside limits between steps") << 3 << "02000.0" << 1500.1 << "";
    }
    void answers() {
        QFETCH(int, rules);
        QFETCH(QString, command);
        QFETCH(double, last);
        QFETCH(QString, refusal);
        Profile offGrid;
        offGrid.limits = {10.04, 2000.05, 499.95};
        const BoxRules chosen[] = {
            BoxRules(), BoxRules(limited()),
            BoxRules::fromLoaded(zz::Outcome<std::optional<Profile>>::failure(
                "com3.toml:3: limits.max must be a number of ohms")),
            BoxRules(offGrid)};
        const auto lastOhms = last < 0 ? std::nullopt : std::optional<double>(last);
        const zz::Status status = chosen[rules].checkCommand(command.toStdString(), lastOhms);
        QCOMPARE(status.ok(), refusal.isEmpty());
        QVERIFY2(QString::fromStdString(status.text()).startsWith(refusal), status.text().c_str());
    }

    void preparesValues_data() {
        QTest::addColumn<double>("ohms");
        QTest::addColumn<bool>("sensor");
        QTest::addColumn<bool>("trueMode");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("nominal") << 1000.0 << false << false << "01000.0"
                                 << "";
        QTest::newRow("sensor less the leads") << 100.0 << true << false << "00099.6"
                                               << "";
        // 1000 Ω steps that run 0.12 Ω long: 999.9 nominal comes nearest 1000.
        QTest::newRow("true digits") << 1000.0 << false << true << "00999.9"
                                     << "";
        QTest::newRow("true, then the limit") << 2100.0 << false << true << ""
                                              << "above the limit";
        QTest::newRow("leads take it below the box") << 0.2 << true << false << ""
                                                     << "less the lead offset";
    }
    void preparesValues() {
        QFETCH(double, ohms);
        QFETCH(bool, sensor);
        QFETCH(bool, trueMode);
        QFETCH(QString, command);
        QFETCH(QString, refusal);
        const BoxRules rules(withTable(1000.12));
        const auto value = rules.prepare(ohms, sensor, trueMode ? SetMode::True : SetMode::Nominal);
        QCOMPARE(value.ok(), refusal.isEmpty());
        if (!value) {
            QVERIFY2(value.error().find(refusal.toStdString()) != std::string::npos,
                     value.error().c_str());
            return;
        }
        QCOMPARE(QString::fromStdString(value.value().command), command);
        QCOMPARE(value.value().trueOhms.has_value(), trueMode);
    }

    void trueModeNeedsATable() {
        const auto value = BoxRules(limited()).prepare(1000.0, false, SetMode::True);
        QVERIFY(!value);
        QVERIFY(value.error().find("correction table") != std::string::npos);
    }

    void overdueOnlyPastTheDueDate() {
        const BoxRules rules(withTable(1000.0));
        QVERIFY(rules.overdueWarning("2027-01-10").empty());
        QVERIFY(rules.overdueWarning("2027-01-11").find("was due on 2027-01-10") !=
                std::string::npos);
        QVERIFY(BoxRules(limited()).overdueWarning("2099-01-01").empty());
    }

    void watchReadsTheFileAgainWhenItChanges() {
        QTemporaryDir folder;
        const std::string path = folder.filePath("com3.toml").toStdString();
        ProfileWatch watch(path);
        QVERIFY(watch.rules().usable());
        QVERIFY(!watch.rules().profile());
        QVERIFY(!watch.poll());

        writeSettled(path, "[limits]\nmax = 2000.0\n");
        QVERIFY(watch.poll());
        QVERIFY(!watch.rules().checkCommand("02000.1"));

        writeSettled(path, "[limits]\nmax = \"2000\"\n");  // broken: another size
        QVERIFY(watch.poll());
        QVERIFY(!watch.rules().usable());
        QVERIFY(!watch.rules().checkCommand("00000.0"));

        std::filesystem::remove(path);
        QVERIFY(watch.poll());
        QVERIFY(watch.rules().checkCommand("99999.9"));
    }

    // An editor empties the file, then writes it: the empty file just
    // written must not hand out the box's whole range, even for one look.
    void watchWaitsForTheWriterToFinish() {
        QTemporaryDir folder;
        const std::string path = folder.filePath("com3.toml").toStdString();
        writeSettled(path, "[limits]\nmax = 2000.0\n");
        ProfileWatch watch(path);
        write(path, "");
        QVERIFY(!watch.poll());
        QVERIFY(!watch.rules().checkCommand("02000.1"));
        write(path, "[limits]\nmax = 1000.0\n");
        QVERIFY(!watch.poll());  // changed again since the last look
        QVERIFY(watch.poll());   // the same at two looks in a row: done
        QVERIFY(!watch.rules().checkCommand("01000.1"));
    }

    // A sensor's table file is part of the profile: mended or broken, it
    // is read again as the profile's own file is.
    void watchReadsATableFileAgain() {
        QTemporaryDir folder;
        const std::string path = folder.filePath("com3.toml").toStdString();
        const std::string table = folder.filePath("ntc1.csv").toStdString();
        writeSettled(path, "[sensors.ntc1]\nkind = \"ntc\"\ntable = \"ntc1.csv\"\n");
        ProfileWatch watch(path);
        QVERIFY(!watch.rules().usable());  // no such table yet
        writeSettled(table, "0,32650\n25,10000\n50,3603\n");
        QVERIFY(watch.poll());
        QVERIFY(watch.rules().usable());
        writeSettled(table, "0,32650\n25,40000\n");  // rising: not a thermistor's
        QVERIFY(watch.poll());
        QVERIFY(!watch.rules().usable());
        QVERIFY(!watch.poll());
    }
};

QTEST_APPLESS_MAIN(tst_BoxRules)
#include "tst_box_rules.moc"
