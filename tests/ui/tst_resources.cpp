// The pictures, icons and font faces must really be inside a program that
// links the resources library, at the sizes the windows are laid out for.

#include <QFile>
#include <QImage>
#include <QRawFont>
#include <QSet>
#include <QtTest>

namespace {

QSet<QRgb> coloursOf(const QImage &img) {
    const QImage rgb = img.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) colours.insert(rgb.pixel(x, y));
    return colours;
}

bool isDarkBlue(QColor c) {
    return c.red() < 40 && c.blue() > 90 && c.blue() - c.green() > 50;
}

}  // namespace

class tst_Resources : public QObject {
    Q_OBJECT

private slots:
    void pictureSizes_data();
    void pictureSizes();
    void backdropLook_data();
    void backdropLook();
    void startTitleAreaIsClear();
    void logoFitsIn256Colours();
    void fontFaces_data();
    void fontFaces();
};

void tst_Resources::pictureSizes_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("panel") << ":/pictures/panel_background.jpg" << QSize(620, 380);
    QTest::newRow("dialog") << ":/pictures/dialog_background.jpg" << QSize(388, 154);
    QTest::newRow("start") << ":/pictures/start_background.jpg" << QSize(510, 313);
    QTest::newRow("logo") << ":/icons/logo48.png" << QSize(48, 48);
    QTest::newRow("port icon") << ":/icons/port_dialog.png" << QSize(32, 32);
    QTest::newRow("port icon small") << ":/icons/port_dialog16.png" << QSize(16, 16);
}

void tst_Resources::pictureSizes() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const QImage img(path);
    QVERIFY2(!img.isNull(), qPrintable(path + " does not decode"));
    QCOMPARE(img.size(), size);
}

// All three backdrops: whitish top left, pale blue bottom left, the dark band
// at the bottom right.
void tst_Resources::backdropLook_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("panel") << ":/pictures/panel_background.jpg";
    QTest::newRow("dialog") << ":/pictures/dialog_background.jpg";
    QTest::newRow("start") << ":/pictures/start_background.jpg";
}

void tst_Resources::backdropLook() {
    QFETCH(QString, path);
    const QImage img(path);
    QVERIFY(!img.isNull());
    const int w = img.width(), h = img.height();

    const QColor topLeft = img.pixelColor(2, 2);
    QVERIFY2(topLeft.red() >= 240 && topLeft.green() >= 240 && topLeft.blue() >= 240,
             qPrintable(topLeft.name()));

    const QColor bottomLeft = img.pixelColor(2, h - 3);
    QVERIFY2(bottomLeft.blue() - bottomLeft.red() >= 25 && bottomLeft.red() >= 170,
             qPrintable(bottomLeft.name()));

    QVERIFY2(isDarkBlue(img.pixelColor(w - 5, h - 5)),
             qPrintable(img.pixelColor(w - 5, h - 5).name()));
    QVERIFY2(isDarkBlue(img.pixelColor(w - 5, h / 2)),
             qPrintable(img.pixelColor(w - 5, h / 2).name()));
    // The band stays at the edge: a third of the way in is background.
    QVERIFY(!isDarkBlue(img.pixelColor(w * 2 / 3, h / 2)));
}

// The start screen's title stands left of x = 345; the maker's emblem must
// stay right of it, yet be there.
void tst_Resources::startTitleAreaIsClear() {
    const QImage img(QStringLiteral(":/pictures/start_background.jpg"));
    QVERIFY(!img.isNull());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < 345; ++x) {
            const QColor c = img.pixelColor(x, y);
            if (std::min({c.red(), c.green(), c.blue()}) < 170)
                QFAIL(qPrintable(
                    QStringLiteral("dark pixel %1 at %2,%3").arg(c.name()).arg(x).arg(y)));
        }
    int darkInCorner = 0;
    for (int y = 5; y < 70; ++y)
        for (int x = 345; x < img.width() - 60; ++x)
            darkInCorner += isDarkBlue(img.pixelColor(x, y));
    QVERIFY2(darkInCorner > 150, qPrintable(QString::number(darkInCorner)));
}

void tst_Resources::logoFitsIn256Colours() {
    const QImage logo(QStringLiteral(":/icons/logo48.png"));
    QVERIFY(!logo.isNull());
    const qsizetype colours = coloursOf(logo).size();
    QVERIFY2(colours <= 256, qPrintable(QString::number(colours)));
    QVERIFY2(colours >= 16, "the logo lost its shading");  // blue, white and their blends
}

void tst_Resources::fontFaces_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QFont::Style>("style");
    QTest::newRow("regular") << ":/fonts/LiberationSans-Regular.ttf" << int(QFont::Normal)
                             << QFont::StyleNormal;
    QTest::newRow("bold") << ":/fonts/LiberationSans-Bold.ttf" << int(QFont::Bold)
                          << QFont::StyleNormal;
    QTest::newRow("italic") << ":/fonts/LiberationSans-Italic.ttf" << int(QFont::Normal)
                            << QFont::StyleItalic;
    QTest::newRow("bold italic") << ":/fonts/LiberationSans-BoldItalic.ttf" << int(QFont::Bold)
                                 << QFont::StyleItalic;
}

void tst_Resources::fontFaces() {
    QFETCH(QString, path);
    QFETCH(int, weight);
    QFETCH(QFont::Style, style);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QRawFont face(file.readAll(), 12);
    QVERIFY2(face.isValid(), qPrintable(path + " is not a font"));
    QCOMPARE(face.familyName(), QStringLiteral("Liberation Sans"));
    QCOMPARE(face.weight(), weight);
    QCOMPARE(face.style(), style);
}

QTEST_MAIN(tst_Resources)
#include "tst_resources.moc"
