// The panel's Windows font names must come out as Liberation Sans on a
// machine without them, with Arial Black heavy as the real face is.

#include <QFontDatabase>
#include <QFontInfo>
#include <QtTest>

#include "ui/fonts.h"

class tst_PanelFonts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void standIns_data();
    void standIns();
    void panelFont_data();
    void panelFont();
};

void tst_PanelFonts::initTestCase() {
    const QStringList installed = QFontDatabase::families();
    for (const char *family : {"Arial", "Arial Black", "MS Sans Serif"})
        if (installed.contains(QLatin1String(family), Qt::CaseInsensitive))
            QSKIP(qPrintable(QStringLiteral("%1 is installed here").arg(family)));
    zz::ui::registerPanelFonts();
    zz::ui::registerPanelFonts();  // a second call must change nothing
}

void tst_PanelFonts::standIns_data() {
    QTest::addColumn<QString>("family");
    QTest::newRow("Arial") << "Arial";
    QTest::newRow("MS Sans Serif") << "MS Sans Serif";
    QTest::newRow("Arial Black") << "Arial Black";
}

void tst_PanelFonts::standIns() {
    QFETCH(QString, family);
    const QStringList standIns = QFont::substitutes(family);
    QCOMPARE(standIns.size(), 1);
    QCOMPARE(standIns.front().toLower(), QStringLiteral("liberation sans"));  // Qt lowercases it
}

void tst_PanelFonts::panelFont_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("expectBold");

    QTest::newRow("Arial 12") << "Arial" << 12.0 << false << false << false;
    QTest::newRow("Arial 8.25 bold") << "Arial" << 8.25 << true << false << true;
    QTest::newRow("Arial 9.75 italic") << "Arial" << 9.75 << false << true << false;
    QTest::newRow("Arial 14.25 bold italic") << "Arial" << 14.25 << true << true << true;
    QTest::newRow("MS Sans Serif 8.25") << "MS Sans Serif" << 8.25 << false << false << false;
    QTest::newRow("MS Sans Serif 9.75 bold") << "MS Sans Serif" << 9.75 << true << false << true;
    QTest::newRow("Arial Black 20.25") << "Arial Black" << 20.25 << false << false << true;
    QTest::newRow("Arial Black 27.75") << "Arial Black" << 27.75 << false << false << true;
    QTest::newRow("Arial Black 39.75 italic") << "Arial Black" << 39.75 << false << true << true;
    QTest::newRow("Arial Black 48") << "Arial Black" << 48.0 << false << false << true;
}

void tst_PanelFonts::panelFont() {
    QFETCH(QString, family);
    QFETCH(qreal, pointSize);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, expectBold);

    const QFont font = zz::ui::panelFont(family, pointSize, bold, italic);
    QCOMPARE(font.family(), family);  // the name the panel asked for stays
    QCOMPARE(font.pointSizeF(), pointSize);

    const QFontInfo shown(font);
    QCOMPARE(shown.family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(shown.italic(), italic);
    if (expectBold)
        QVERIFY2(shown.weight() >= QFont::Bold, qPrintable(QString::number(shown.weight())));
    else
        QCOMPARE(shown.weight(), int(QFont::Normal));
}

QTEST_MAIN(tst_PanelFonts)
#include "tst_panel_fonts.moc"
