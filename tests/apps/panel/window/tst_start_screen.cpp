// The start screen and About box: layout, typefaces and colours as set at
// creation, its placement, and the OK button that only the About box shows.

#include "start_screen.h"
#include "support/fonts.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <functional>

namespace panel = zz::panel;

using zz::panel::StartScreen;

namespace {

const QColor kTitleBlue(0, 97, 165);

QString textOf(const QWidget *w) {
    if (auto *label = qobject_cast<const QLabel *>(w)) return label->text();
    if (auto *button = qobject_cast<const QPushButton *>(w)) return button->text();
    return {};
}

int countPixels(const QImage &image, const QRect &area, const QColor &colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == colour) ++n;
    return n;
}

// Runs `whileOpen` once the About box is up; should it not close the box, the
// box is closed here and the test fails instead of hanging.
bool runAbout(panel::StartScreen &startScreen, const std::function<void()> &whileOpen) {
    bool closedByTest = false;
    QTimer::singleShot(0, &startScreen, [&] {
        whileOpen();
        if (startScreen.isVisible()) {
            closedByTest = true;
            startScreen.done(QDialog::Rejected);
        }
    });
    startScreen.showAbout();
    return !closedByTest;
}

}  // namespace

class tst_StartScreen : public QObject {
    Q_OBJECT

private slots:
    void window() {
        panel::StartScreen startScreen;
        QCOMPARE(startScreen.objectName(), QStringLiteral("STARTFORM"));
        QCOMPARE(startScreen.windowTitle(), QStringLiteral("Quellor 6175 Virtual Panel"));
        QVERIFY(startScreen.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(startScreen.minimumSize(), QSize(510, 313));
        QCOMPARE(startScreen.maximumSize(), QSize(510, 313));
        QVERIFY(startScreen.parentWidget() == nullptr);
    }

    void elements_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("family");  // empty: no text of its own
        QTest::addColumn<qreal>("pointSize");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QColor>("colour");  // invalid: the default

        QTest::newRow("TitleLab0") << "TitleLab0" << QRect(65, 7, 279, 75) << "6175"
                                   << "Arial Black" << 27.75 << true << kTitleBlue;
        QTest::newRow("TitleLab1")
            << "TitleLab1" << QRect(66, 54, 266, 17) << "PROGRAMMABLE RESISTANCE BOX ZIZ"
            << "Arial Black" << 9.0 << true << kTitleBlue;
        QTest::newRow("VerLab") << "VerLab" << QRect(10, 78, 433, 13) << " V1.20 : 24/07/2006"
                                << "MS Sans Serif" << 8.25 << true << kTitleBlue;
        QTest::newRow("OKBut") << "OKBut" << QRect(400, 271, 101, 27) << "&OK"
                               << "MS Sans Serif" << 8.25 << false << QColor();
        QTest::newRow("Image1") << "Image1" << QRect(10, 23, 48, 48) << ""
                                << "" << 0.0 << false << QColor();
        QTest::newRow("TitleLine0") << "TitleLine0" << QRect(67, 53, 290, 1) << ""
                                    << "" << 0.0 << false << kTitleBlue;
        QTest::newRow("TitleLine1") << "TitleLine1" << QRect(67, 72, 290, 1) << ""
                                    << "" << 0.0 << false << kTitleBlue;
    }

    void elements() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(QString, family);
        QFETCH(qreal, pointSize);
        QFETCH(bool, bold);
        QFETCH(QColor, colour);

        panel::StartScreen startScreen;
        auto *w = startScreen.findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(textOf(w), text);
        QVERIFY2(!w->autoFillBackground(), "the picture must show through");
        if (!family.isEmpty()) {
            zz::test::expectFont(*w, family, pointSize, bold);
            if (QTest::currentTestFailed()) return;
        }
        if (colour.isValid()) QCOMPARE(w->palette().color(QPalette::WindowText), colour);
    }

    // What the screen shows: the picture at its own size, the logo, the blue
    // rules and title drawn over it.
    void rendered() {
        panel::StartScreen startScreen;
        const QImage shot = startScreen.grab().toImage();
        QCOMPARE(shot.size(), QSize(510, 313));

        const QImage picture(QStringLiteral(":/pictures/start_background.jpg"));
        for (const QPoint p : {QPoint(2, 2), QPoint(5, 300), QPoint(505, 150), QPoint(300, 200)})
            QCOMPARE(shot.pixelColor(p), picture.pixelColor(p));

        const QImage logo =
            QImage(QStringLiteral(":/icons/logo48.png")).convertToFormat(QImage::Format_RGB32);
        for (const QPoint p : {QPoint(0, 0), QPoint(24, 24), QPoint(47, 47), QPoint(10, 40)})
            QCOMPARE(shot.pixelColor(QPoint(10, 23) + p), logo.pixelColor(p));

        for (const int y : {53, 72}) {
            QCOMPARE(countPixels(shot, QRect(67, y, 290, 1), kTitleBlue), 290);
            QVERIFY(shot.pixelColor(357, y) != kTitleBlue);  // the end point is not drawn
        }
        // The glyphs' solid strokes come out in the title blue.
        QVERIFY(countPixels(shot, QRect(65, 7, 279, 45), kTitleBlue) > 300);
        QVERIFY(countPixels(shot, QRect(66, 55, 266, 16), kTitleBlue) > 40);
        QVERIFY(countPixels(shot, QRect(10, 78, 200, 13), kTitleBlue) > 40);
        // No OK button at start: its corner shows the picture.
        QCOMPARE(shot.pixelColor(450, 285), picture.pixelColor(450, 285));
    }

    void centring_data() {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1080) << QPoint(705, 384);
        QTest::newRow("1024x768") << QRect(0, 0, 1024, 768) << QPoint(257, 228);
        QTest::newRow("800x600") << QRect(0, 0, 800, 600) << QPoint(145, 144);
        QTest::newRow("exact fit") << QRect(0, 0, 510, 313) << QPoint(0, 0);
        // Smaller than the window: overhangs 55 px left and right.
        QTest::newRow("400x300") << QRect(0, 0, 400, 300) << QPoint(-55, -7);
        QTest::newRow("second screen") << QRect(1920, 0, 1280, 1024) << QPoint(2305, 356);
    }

    void centring() {
        QFETCH(QRect, screen);
        QFETCH(QPoint, origin);
        QCOMPARE(panel::StartScreen::centredOrigin(screen), origin);
    }

    void placedOnThePrimaryScreen() {
        panel::StartScreen startScreen;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(startScreen.pos(), panel::StartScreen::centredOrigin(screen));
        startScreen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&startScreen));
        QCOMPARE(startScreen.frameGeometry().topLeft(), panel::StartScreen::centredOrigin(screen));
    }

    void okButHiddenAtStart() {
        panel::StartScreen startScreen;
        startScreen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&startScreen));
        QVERIFY(!startScreen.okButton()->isVisible());
        QVERIFY(!startScreen.isModal());
    }

    void aboutShowsOkAndWaits() {
        panel::StartScreen startScreen;
        bool checked = false;
        const bool closedByOk = runAbout(startScreen, [&] {
            QVERIFY(startScreen.okButton()->isVisible());
            QCOMPARE(QApplication::activeModalWidget(), &startScreen);
            QCOMPARE(startScreen.versionLabel()->text(), QStringLiteral(" V1.20 : 24/07/2006"));
            checked = true;
            startScreen.okButton()->click();
        });
        QVERIFY(checked);
        QVERIFY(closedByOk);
        QVERIFY(!startScreen.isVisible());
        QCOMPARE(startScreen.result(), int(QDialog::Accepted));
    }

    void aboutKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Alt+O") << int(Qt::Key_O) << int(Qt::AltModifier) << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << false;
        QTest::newRow("O alone") << int(Qt::Key_O) << int(Qt::NoModifier) << false;
    }

    void aboutKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, closes);

        panel::StartScreen startScreen;
        bool active = false;
        bool pressed = false;
        const bool closedByKey = runAbout(startScreen, [&] {
            active = QTest::qWaitForWindowActive(&startScreen);
            // Through the window, as the keyboard does, so that access keys work.
            QTest::keyClick(startScreen.windowHandle(), Qt::Key(key),
                            Qt::KeyboardModifiers(modifiers));
            // An access key presses the button at once and clicks it a moment later.
            pressed = startScreen.okButton()->isDown() || !startScreen.isVisible();
            if (pressed) QTRY_VERIFY(!startScreen.isVisible());
        });
        QVERIFY(active);
        QCOMPARE(pressed, closes);
        QCOMPARE(closedByKey, closes);
    }
};

QTEST_MAIN(tst_StartScreen)
#include "tst_start_screen.moc"
