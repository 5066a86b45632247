// The panel window under its port's box profile, on real widgets with port 1
// a pseudo-terminal: what reaches the wire when the limits refuse a control,
// the footer's true-ohms switch and the caption, and the profile read again
// when its file changes.

#include "panel_harness.h"
#include "support/bytes.h"
#include "support/one_profile_rows.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <fstream>

using zz::test::PanelHarness;

namespace {

const char *const kLimits = "[limits]\nmin = 10\nmax = 2000\n";
// The 1 kΩ decade's first step measures 999.97 Ω.
const char *const kTable =
    "[limits]\nmin = 10\nmax = 2000\n[table]\ndue = 2099-01-01\n"
    "decade_0_1 = [0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9]\n"
    "decade_1 = [1, 2, 3, 4, 5, 6, 7, 8, 9]\n"
    "decade_10 = [10, 20, 30, 40, 50, 60, 70, 80, 90]\n"
    "decade_100 = [100, 200, 300, 400, 500, 600, 700, 800, 900]\n"
    "decade_1000 = [999.97, 2000, 3000, 4000, 5000, 6000, 7000, 8000, "
    "9000]\n"
    "decade_10000 = [10000, 20000, 30000, 40000, 50000, 60000, 70000, "
    "80000, 90000]\n";

}  // namespace

class tst_PanelProfile : public QObject {
    Q_OBJECT

    std::unique_ptr<PanelHarness> panel_;

    // Writes port 1's profile and lets the panel's watch read it.
    void writeProfile(const char *text) {
        const std::string folder = panel_->sandbox().root() + "/6175ZIZ/boxes";
        std::filesystem::create_directories(folder);
        QVERIFY(zz::test::writeSettledFile(QString::fromStdString(folder + "/com1.toml"), text));
        panel_->window().watchLink();
    }
    // On its box, left of the words: the middle of the row may be past them.
    void clickSwitch() {
        QTest::mouseClick(trueSwitch(), Qt::LeftButton, {}, QPoint(6, trueSwitch()->height() / 2));
    }
    QString title() const { return panel_->window().windowTitle(); }
    QCheckBox *trueSwitch() const { return panel_->element<QCheckBox>("TrueSwitch"); }
    void enter(const QString &typed) {
        panel_->element<QLineEdit>("ManText")->setText(typed);
        QTest::mouseClick(panel_->element<QPushButton>("SetBut"), Qt::LeftButton);
    }

private slots:
    void init() {
        panel_ = std::make_unique<PanelHarness>();
        QVERIFY(panel_->ready());
        panel_->setValue("00100.0");
        QVERIFY(!trueSwitch()->isChecked());
    }
    void cleanup() { panel_.reset(); }

    // Each control against max 2000 Ω: the bytes on the wire, the digits,
    // the message box and the caption.
    void limitsOnTheWindow_data() {
        QTest::addColumn<QString>("control");  // an object name, or "=typed"
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("caption");
        const QString above = "above the limit 2000.0 \u03A9 of this box's profile";
        QTest::newRow("10k preset") << "RanBut6" << QByteArray() << "00100.0"
                                    << "Value Out of Range|" + above << above;
        QTest::newRow("1k preset") << "RanBut5" << QByteArray("1000.0\r") << "01000.0"
                                   << ""
                                   << "";
        QTest::newRow("typed 2100") << "=2100" << QByteArray() << "00100.0"
                                    << "Value Out of Range|" + above << above;
        QTest::newRow("typed 1999.9") << "=1999.9" << QByteArray("01999.9\r") << "01999.9"
                                      << ""
                                      << "";
        QTest::newRow("10k arrow") << "AdjUp6" << QByteArray() << "00100.0"
                                   << "" << above;
        QTest::newRow("10 down to 0.0") << "AdjDown4" << QByteArray() << "00100.0"
                                        << ""
                                        << "below the limit 10.0 \u03A9";
    }
    void limitsOnTheWindow() {
        QFETCH(QString, control);
        QFETCH(QByteArray, wire);
        QFETCH(QString, digits);
        QFETCH(QString, box);
        QFETCH(QString, caption);
        writeProfile(kLimits);
        QVERIFY2(title().contains("com1.toml was read again"), qPrintable(title()));
        (void)panel_->received();
        if (control.startsWith('='))
            enter(control.mid(1));
        else if (control.startsWith("Adj"))
            panel_->clickAt(panel_->visibleArrow(control));
        else
            QTest::mouseClick(panel_->element<QPushButton>(control), Qt::LeftButton);
        QCOMPARE(panel_->received(), wire);
        QCOMPARE(panel_->shown(), digits);
        QCOMPARE(panel_->boxes.shown(), box.isEmpty() ? QStringList() : QStringList{box});
        if (caption.isEmpty())
            QVERIFY2(!title().contains(QChar(0x2014)), qPrintable(title()));
        else
            QVERIFY2(title().contains(QChar(0x2014) + QString(" ") + caption), qPrintable(title()));
    }

    void trueSwitchWithoutATableStaysOff() {
        writeProfile(kLimits);
        clickSwitch();
        QVERIFY(!trueSwitch()->isChecked());
        QVERIFY2(title().contains("true values need a correction table"), qPrintable(title()));
    }

    void trueModeSetsTheTrueTarget() {
        writeProfile(kTable);
        clickSwitch();
        QVERIFY2(trueSwitch()->isChecked(), qPrintable(title()));
        (void)panel_->received();
        enter("1000");
        QCOMPARE(panel_->received(), QByteArray("01000.0\r"));
        QVERIFY2(title().endsWith(QString::fromUtf8("\u2014 01000.0 \u2192 999.97 \u03A9 true")),
                 qPrintable(title()));
        // The arrows step the digits as always; the caption follows.
        panel_->clickAt(panel_->visibleArrow("AdjUp1"));
        QCOMPARE(panel_->received(), QByteArray("01000.1\r"));
        QVERIFY2(title().endsWith(QString::fromUtf8("01000.1 \u2192 1000.07 \u03A9 true")),
                 qPrintable(title()));
        // The table gone from the profile: true mode ends with it.
        writeProfile(kLimits);
        QVERIFY(!trueSwitch()->isChecked());
    }

    // The rows every front end is held to under one profile
    // (tests/support/one_profile); the panel has no sensors and skips theirs.
    void oneProfileAsEveryFrontEnd() {
        writeProfile(zz::test::oneProfileText().constData());
        int done = 0;
        for (const zz::test::ProfileRow &row : zz::test::oneProfileRows()) {
            if (row.action.startsWith("sensor")) continue;
            if (trueSwitch()->isChecked() != (row.action == "true")) clickSwitch();
            QCOMPARE(trueSwitch()->isChecked(), row.action == "true");
            const qsizetype boxes = panel_->boxes.shown().size();
            enter(row.value);
            QCOMPARE(panel_->received(), row.sent);
            if (!row.refusal.isEmpty()) {
                QCOMPARE(panel_->boxes.shown().size(), boxes + 1);
                QVERIFY2(panel_->boxes.shown().last().contains(row.refusal), qPrintable(row.value));
            }
            ++done;
        }
        QCOMPARE(done, 10);
    }

    void brokenProfileSendsNothing() {
        writeProfile("[limits]\nmax = \"lots\"\n");
        QVERIFY2(title().contains("nothing is sent to this port until it is mended"),
                 qPrintable(title()));
        (void)panel_->received();
        panel_->clickAt(panel_->visibleArrow("AdjUp1"));
        QTest::keyClick(&panel_->window(), Qt::Key_F5);
        QCOMPARE(panel_->received(), QByteArray());
        QCOMPARE(panel_->shown(), QStringLiteral("00100.0"));
        writeProfile(kLimits);  // mended
        panel_->clickAt(panel_->visibleArrow("AdjUp1"));
        QCOMPARE(panel_->received(), QByteArray("00100.1\r"));
    }
};

QTEST_MAIN(tst_PanelProfile)
#include "tst_panel_profile.moc"
