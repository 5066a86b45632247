// The layout tables both faces draw from: twips to pixels at the common
// screen densities, one row per name, the designed tab order, and the
// symbol face's captions as the operator reads them.

#include "layout/panel_layout.h"
#include "layout/port_dialog_layout.h"
#include "layout/start_screen_layout.h"

#include <QtTest>

#include <set>

using namespace zz::layout;

class tst_Layout : public QObject {
    Q_OBJECT

private slots:
    void pixelsAtADensity_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("one pixel") << 15 << 96 << 1;
        QTest::newRow("just under half") << 7 << 96 << 0;
        QTest::newRow("half rounds up") << 8 << 96 << 1;  // 7.5 twips is half a pixel
        QTest::newRow("client width") << 5970 << 96 << 398;
        QTest::newRow("150 %") << 5970 << 144 << 597;
        QTest::newRow("200 %") << 4980 << 192 << 664;
        QTest::newRow("negative, away from zero") << -8 << 96 << -1;
    }
    void pixelsAtADensity() {
        QFETCH(int, twips);
        QFETCH(int, dpi);
        QFETCH(int, pixels);
        QCOMPARE(zz::layout::pixels(twips, dpi), pixels);
    }

    // A rule ends where its end point's pixel begins, so two rules with the
    // same ends are as long whatever their start's rounding.
    void ruleBoxes() {
        const PixelRect line = pixelBox(panel::element("Line2"));
        QCOMPARE(line, (PixelRect{13, 269, 389 - 13, 1}));
        const PixelRect key = pixelBox(panel::element("Shape3"));
        QCOMPARE(key, (PixelRect{186, 13, 24, 14}));
    }

    void everyNameOnce() {
        for (const auto &rows :
             {panel::elements(), start_screen::elements(), port_dialog::elements()}) {
            std::set<std::string_view> names;
            for (const Element &row : rows)
                QVERIFY2(names.insert(row.name).second, row.name.data());
        }
    }

    void panelTabOrder() {
        QStringList order;
        for (const Element *row : panel::tabOrder())
            order << QString::fromLatin1(row->name.data(), row->name.size());
        QCOMPARE(order, (QStringList{"AdjUp6",   "AdjUp5",   "AdjUp4",   "AdjUp3",   "AdjUp2",
                                     "AdjUp1",   "AdjDown6", "AdjDown5", "AdjDown4", "AdjDown3",
                                     "AdjDown2", "AdjDown1", "RanBut0",  "ManText",  "RanBut3",
                                     "RanBut4",  "RanBut5",  "RanBut6",  "RanBut7",  "ExitBut",
                                     "SetBut",   "RanBut2",  "RanBut1"}));
    }

    void captionsAsRead_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reads");
        QTest::newRow("kilo-ohm key") << "Label5" << QString::fromUtf8("k\u03A9");
        QTest::newRow("preset") << "RanBut1" << QString::fromUtf8("0.1\u03A9");
        QTest::newRow("text face keeps W")
            << "Label7"
            << "'Dial' up a value, enter a value directly or select a preset value.";
        QTest::newRow("milli in Arial") << "Label6"
                                        << "m";
    }
    void captionsAsRead() {
        QFETCH(QString, name);
        QFETCH(QString, reads);
        QCOMPARE(QString::fromStdString(readableCaption(panel::element(name.toStdString()))),
                 reads);
    }

    void startScreenCentred_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::newRow("1920x1080") << 1920 << 1080 << 705 << 384;
        QTest::newRow("smaller than the window") << 400 << 300 << -55 << -7;
    }
    void startScreenCentred() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, left);
        QFETCH(int, top);
        const start_screen::Origin origin = start_screen::centredOrigin(width, height);
        QCOMPARE(origin.left, left);
        QCOMPARE(origin.top, top);
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_layout.moc"
