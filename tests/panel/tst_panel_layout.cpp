// The panel window element by element: place, caption, typeface, colour,
// stacking, tab order, and which parts of the wheels can be clicked.

#include <QAbstractButton>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QtTest>

#include "panel/spin_button.h"
#include "panel_harness.h"

using zz::test::PanelHarness;

namespace {

const QColor kNone;  // not checked
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kGrey(128, 128, 128);
const QColor kNavy(0, 0, 128);
const QColor kDarkRed(192, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kFooter(19, 101, 159);
const QString kOhm = QStringLiteral("\u03A9");

// The text an element shows, or a null string for elements without one.
QString captionOf(QWidget *w) {
    if (auto *label = qobject_cast<QLabel *>(w)) return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w)) return button->text();
    if (auto *edit = qobject_cast<QLineEdit *>(w)) return edit->text();
    return {};
}

// The colour of one pixel of the element as drawn on its own.
QColor pixelOf(QWidget *w, QPoint at) {
    return w->grab().toImage().pixelColor(at);
}

}  // namespace

class tst_PanelLayout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void window();
    void elements_data();
    void elements();
    void stacking();
    void tabOrder();
    void onlyVisibleArrowsClick_data();
    void onlyVisibleArrowsClick();
    void clickOnVisibleArrowActsOnItsDigit();

private:
    std::unique_ptr<PanelHarness> panel_;
};

void tst_PanelLayout::init() {
    panel_ = std::make_unique<PanelHarness>();
    QVERIFY(panel_->ready());
}

void tst_PanelLayout::cleanup() {
    panel_.reset();
}

void tst_PanelLayout::window() {
    zz::panel::PanelWindow &panelWindow = panel_->window();
    QCOMPARE(panelWindow.windowTitle(), QStringLiteral("6175 Virtual Panel V1.20 : 24/07/2006"));
    QCOMPARE(panel_->client()->size(), QSize(398, 332));
    QCOMPARE(panel_->client()->y(), panelWindow.menuBar()->height());  // right below the menu bar
    QCOMPARE(panelWindow.minimumSize(), panelWindow.maximumSize());
    QCOMPARE(panelWindow.size(), QSize(398, 332 + panelWindow.menuBar()->height()));
    const Qt::WindowFlags flags = panelWindow.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(panelWindow.windowIcon().pixmap(48, 48).size(), QSize(48, 48));

    const QList<QAction *> commands = panelWindow.menuBar()->actions();
    QCOMPARE(commands.size(), 2);
    QCOMPARE(commands[0]->objectName(), QStringLiteral("COMMenu"));
    QCOMPARE(commands[0]->text(), QStringLiteral("COM Port"));
    QCOMPARE(commands[1]->objectName(), QStringLiteral("AboMenu"));
    QCOMPARE(commands[1]->text(), QStringLiteral("About"));
    for (QAction *command : commands) QVERIFY(!command->menu());
}

void tst_PanelLayout::elements_data() {
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QString>("caption");  // null: none to check
    QTest::addColumn<qreal>("points");     // 0: no text
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QColor>("text");        // text, line or fill colour
    QTest::addColumn<QColor>("background");  // for labels: invalid means clear

    const QString client = QStringLiteral("client");
    const QString panel = QStringLiteral("SSPanel1");
    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };

    // Header strip.
    row("Line6") << client << QRect(12, 3, 335, 1) << QString() << 0.0 << false << false << kGrey
                 << kNone;
    row("Label7") << client << QRect(11, 7, 169, 29)
                  << "'Dial' up a value, enter a value directly or select a preset value." << 8.25
                  << false << false << kBlack << kNone;
    row("Shape3") << client << QRect(186, 13, 24, 14) << QString() << 0.0 << false << false << kNavy
                  << kNone;
    row("Label5") << client << QRect(213, 10, 20, 24) << "k" + kOhm << 12.0 << false << false
                  << kNone << kNone;
    row("Shape2") << client << QRect(243, 13, 24, 14) << QString() << 0.0 << false << false
                  << kDarkRed << kNone;
    row("Label4") << client << QRect(271, 10, 20, 24) << kOhm << 12.0 << false << false << kNone
                  << kNone;
    row("Shape1") << client << QRect(298, 13, 24, 14) << QString() << 0.0 << false << false
                  << kGreen << kNone;
    row("Label6") << client << QRect(325, 12, 20, 24) << "m" << 9.75 << false << false << kNone
                  << kNone;
    row("Label3") << client << QRect(337, 10, 20, 24) << kOhm << 12.0 << false << false << kNone
                  << kNone;
    row("Line4") << client << QRect(12, 38, 335, 1) << QString() << 0.0 << false << false << kGrey
                 << kNone;

    // Readout.
    const int upLeft[7] = {0, 278, 219, 182, 146, 109, 72};
    const int downLeft[7] = {0, 278, 219, 182, 146, 109, 71};
    for (int i = 6; i >= 1; --i) {
        QTest::newRow(qPrintable(QStringLiteral("AdjUp%1").arg(i)))
            << client << QRect(upLeft[i], 56, 30, 42) << QString() << 0.0 << false << false << kNone
            << kNone;
        QTest::newRow(qPrintable(QStringLiteral("AdjDown%1").arg(i)))
            << client << QRect(downLeft[i], 127, 30, 42) << QString() << 0.0 << false << false
            << kNone << kNone;
    }
    row("RanBut0") << client << QRect(12, 78, 43, 71) << "ZERO" << 8.25 << false << false << kNone
                   << kNone;
    row("Shape4") << client << QRect(59, 77, 261, 72) << QString() << 0.0 << false << false
                  << kBlack << kNone;
    row("SSPanel1") << client << QRect(61, 78, 256, 70) << QString() << 0.0 << false << false
                    << kNone << kWhite;
    row("DigitLab6") << panel << QRect(8, 0, 37, 70) << "0" << 48.0 << false << false << kNavy
                     << kWhite;
    row("DigitLab5") << panel << QRect(45, 0, 37, 70) << "0" << 48.0 << false << false << kNavy
                     << kWhite;
    row("DigitLab4") << panel << QRect(82, 0, 37, 70) << "0" << 48.0 << false << false << kDarkRed
                     << kWhite;
    row("DigitLab3") << panel << QRect(119, 0, 37, 70) << "0" << 48.0 << false << false << kDarkRed
                     << kWhite;
    row("DigitLab2") << panel << QRect(156, 0, 37, 70) << "0" << 48.0 << false << false << kDarkRed
                     << kWhite;
    row("Label11") << panel << QRect(193, 0, 21, 70) << "." << 48.0 << false << false << kBlack
                   << kWhite;
    row("DigitLab1") << panel << QRect(214, 0, 37, 70) << "0" << 48.0 << false << false << kGreen
                     << kWhite;
    row("Label8") << client << QRect(322, 81, 44, 70) << kOhm << 39.75 << false << false << kNone
                  << kNone;

    // Entry row.
    row("Line3") << client << QRect(12, 185, 377, 1) << QString() << 0.0 << false << false << kGrey
                 << kNone;
    row("Label1") << client << QRect(11, 197, 93, 17) << "Enter a value" << 9.75 << true << false
                  << kBlack << kNone;
    row("ManText") << client << QRect(120, 193, 94, 24) << "" << 9.75 << true << false << kNone
                   << kNone;
    row("Label2") << client << QRect(219, 195, 20, 24) << kOhm << 12.0 << false << false << kBlack
                  << kNone;
    row("SetBut") << client << QRect(283, 193, 106, 25) << "&Set Value" << 8.25 << false << false
                  << kNone << kNone;
    row("Line1") << client << QRect(12, 225, 377, 1) << QString() << 0.0 << false << false << kGrey
                 << kNone;

    // Preset row.
    const struct {
        const char *name;
        int left, width;
        QString caption;
    } presets[] = {
        {"RanBut1", 11, 47, "0.1" + kOhm},   {"RanBut2", 66, 47, "1" + kOhm},
        {"RanBut3", 121, 47, "10" + kOhm},   {"RanBut4", 175, 47, "100" + kOhm},
        {"RanBut5", 229, 47, "1k" + kOhm},   {"RanBut6", 284, 47, "10k" + kOhm},
        {"RanBut7", 339, 53, "100k" + kOhm},
    };
    for (const auto &p : presets)
        row(p.name) << client << QRect(p.left, 231, p.width, 32) << p.caption << 12.0 << false
                    << false << kNone << kNone;

    // Footer.
    row("Line2") << client << QRect(13, 269, 376, 1) << QString() << 0.0 << false << false << kGrey
                 << kNone;
    row("Image1") << client << QRect(12, 275, 48, 48) << QString() << 0.0 << false << false << kNone
                  << kNone;
    row("Label9") << client << QRect(73, 280, 120, 25) << "MODEL 6175" << 14.25 << true << false
                  << kFooter << kNone;
    row("Label10") << client << QRect(73, 302, 123, 17) << "Virtual Panel" << 9.0 << true << true
                   << kFooter << kNone;
    row("ExitBut") << client << QRect(288, 289, 101, 27) << "&Exit" << 8.25 << false << false
                   << kNone << kNone;

    // Whole window: the outer size is the client area, the menu bar, a 3 px
    // frame all round and a 19 px title bar.
    row("BGImage") << client << QRect() << QString() << 0.0 << false << false << kNone << kNone;
    row("BorderShape") << client << QRect() << QString() << 0.0 << false << false << kNone << kNone;
}

void tst_PanelLayout::elements() {
    QFETCH(QString, parent);
    QFETCH(QRect, rect);
    QFETCH(QString, caption);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(QColor, text);
    QFETCH(QColor, background);

    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QWidget *w = panel_->element(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QVERIFY(w->isVisible());

    if (!rect.isValid()) {  // BGImage and BorderShape follow the outer size
        const int menu = panel_->window().menuBar()->height();
        const QSize outer(398 + 6, 332 + menu + 19 + 6);
        rect = name == QLatin1String("BGImage")
                   ? QRect(QPoint(0, 0), outer)
                   : QRect(10, 10, outer.width() - 10, outer.height() - 10);
    }
    QCOMPARE(w->geometry(), rect);

    if (!caption.isNull()) QCOMPARE(captionOf(w), caption);
    if (points > 0) {
        QCOMPARE(QFontInfo(w->font()).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(w->font().pointSizeF(), points);
        QCOMPARE(QFontInfo(w->font()).bold(), bold);
        QCOMPARE(QFontInfo(w->font()).italic(), italic);
    }

    auto *label = qobject_cast<QLabel *>(w);
    if (label && points > 0) {
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QVERIFY(label->wordWrap());
        if (text.isValid()) QCOMPARE(label->palette().color(QPalette::WindowText), text);
        QCOMPARE(label->autoFillBackground(), background.isValid());
        if (background.isValid()) QCOMPARE(label->palette().color(QPalette::Window), background);
    } else if (background.isValid()) {  // the readout panel
        QVERIFY(w->autoFillBackground());
        QCOMPARE(pixelOf(w, QPoint(4, rect.height() / 2)), background);  // left of the digits
    } else if (text.isValid()) {  // lines and rectangles as drawn
        QCOMPARE(pixelOf(w, QPoint(0, 0)), text);
        if (name != QLatin1String("Shape4"))
            QCOMPARE(pixelOf(w, QPoint(rect.width() / 2, 0)), text);
    }
    if (name == QLatin1String("Shape4"))  // hollow: the readout shows through
        QVERIFY(pixelOf(w, QPoint(rect.width() / 2, rect.height() / 2)) != text);
    if (name == QLatin1String("Image1")) QCOMPARE(label->pixmap().size(), QSize(48, 48));
    if (name == QLatin1String("BGImage")) {
        QCOMPARE(label->pixmap().size(), QSize(620, 380));
        QVERIFY(label->hasScaledContents());
    }
}

void tst_PanelLayout::stacking() {
    // Qt stacks siblings in the order of children(): later ones lie above.
    const QList<QWidget *> order =
        panel_->client()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    auto at = [&](const char *name) { return int(order.indexOf(panel_->element(name))); };
    QCOMPARE(at("BorderShape"), 0);
    QCOMPARE(at("BGImage"), 1);
    const int panel = at("SSPanel1");
    for (int i = 1; i <= 6; ++i) {
        QVERIFY(at(qPrintable(QStringLiteral("AdjUp%1").arg(i))) < panel);
        QVERIFY(at(qPrintable(QStringLiteral("AdjDown%1").arg(i))) < panel);
    }
    // Windowed controls above every drawn element.
    int highestDrawn = 0;
    for (const char *drawn : {"Line1",  "Line2",  "Line3",  "Line4",  "Line6",   "Shape1", "Shape2",
                              "Shape3", "Shape4", "Label1", "Label2", "Label3",  "Label4", "Label5",
                              "Label6", "Label7", "Label8", "Label9", "Label10", "Image1"})
        highestDrawn = std::max(highestDrawn, at(drawn));
    for (const char *control :
         {"AdjUp6", "AdjDown6", "SSPanel1", "RanBut0", "RanBut7", "ManText", "SetBut", "ExitBut"})
        QVERIFY2(at(control) > highestDrawn, control);
}

void tst_PanelLayout::tabOrder() {
    const QStringList expected = {"AdjUp6",   "AdjUp5",   "AdjUp4",   "AdjUp3",    "AdjUp2",
                                  "AdjUp1",   "AdjDown6", "AdjDown5", "AdjDown4",  "AdjDown3",
                                  "AdjDown2", "AdjDown1", "RanBut0",  "ManText",   "RanBut3",
                                  "RanBut4",  "RanBut5",  "RanBut6",  "RanBut7",   "ExitBut",
                                  "SetBut",   "RanBut2",  "RanBut1",  "TrueSwitch"};
    QWidget *first = panel_->element(expected.front());
    QCOMPARE(QApplication::focusWidget(), first);
    QStringList seen;
    QWidget *w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus && w->isVisible()) seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first && seen.size() <= expected.size());
    QCOMPARE(seen, expected);
}

void tst_PanelLayout::onlyVisibleArrowsClick_data() {
    QTest::addColumn<QString>("wheel");
    for (int i = 6; i >= 1; --i) {
        QTest::newRow(qPrintable(QStringLiteral("AdjUp%1").arg(i)))
            << QStringLiteral("AdjUp%1").arg(i);
        QTest::newRow(qPrintable(QStringLiteral("AdjDown%1").arg(i)))
            << QStringLiteral("AdjDown%1").arg(i);
    }
}

void tst_PanelLayout::onlyVisibleArrowsClick() {
    QFETCH(QString, wheel);
    QWidget *spin = panel_->element(wheel);
    QWidget *client = panel_->client();
    const QRect box = spin->geometry();
    const QRect readout = panel_->element("SSPanel1")->geometry();
    const bool up = wheel.startsWith(QLatin1String("AdjUp"));

    // The part outside the readout is the wheel's own, every row of it ...
    const int outsideFrom = up ? box.top() : readout.bottom() + 1;
    const int outsideTo = up ? readout.top() - 1 : box.bottom();
    QVERIFY(outsideTo - outsideFrom + 1 >= 20);
    for (int y = outsideFrom; y <= outsideTo; ++y)
        for (int x : {box.left(), box.center().x(), box.right()})
            QCOMPARE(client->childAt(x, y), spin);

    // ... and the part behind the readout belongs to the readout.
    const int insideFrom = up ? readout.top() : box.top();
    const int insideTo = up ? box.bottom() : readout.bottom();
    QVERIFY(insideTo - insideFrom + 1 >= 20);
    for (int y = insideFrom; y <= insideTo; ++y) {
        QWidget *hit = client->childAt(box.center().x(), y);
        QVERIFY(hit);
        QVERIFY2(hit->objectName() == QLatin1String("SSPanel1") ||
                     hit->parentWidget()->objectName() == QLatin1String("SSPanel1"),
                 qPrintable(hit->objectName()));
    }

    // Every row that shows is the arrow the wheel handles.
    auto *arrowWheel = qobject_cast<zz::panel::SpinButton *>(spin);
    QVERIFY(arrowWheel);
    for (int y = outsideFrom; y <= outsideTo; ++y)
        QCOMPARE(arrowWheel->arrowAt(spin->mapFrom(client, QPoint(box.center().x(), y))),
                 up ? zz::panel::SpinButton::Arrow::Up : zz::panel::SpinButton::Arrow::Down);
}

void tst_PanelLayout::clickOnVisibleArrowActsOnItsDigit() {
    panel_->clickAt(panel_->visibleArrow("AdjUp3"));
    QCOMPARE(panel_->shown(), QStringLiteral("00010.0"));
    QCOMPARE(panel_->received(), QByteArray("00010.0\r"));

    // A click just inside the readout, on the wheel's hidden half, does nothing.
    const QRect box = panel_->element("AdjUp3")->geometry();
    panel_->clickAt(QPoint(box.center().x(), box.bottom() - 2));
    QCOMPARE(panel_->shown(), QStringLiteral("00010.0"));
    QVERIFY(panel_->received().isEmpty());
}

QTEST_MAIN(tst_PanelLayout)
#include "tst_panel_layout.moc"
