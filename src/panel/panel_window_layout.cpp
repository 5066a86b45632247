// The panel's elements, their places (twips), captions, typefaces and
// colours. Creation order is stacking order: the border, the background picture, the drawn
// elements, the wheels, the readout panel over the wheels, then the buttons
// and the entry box.

#include "panel/drawn_shapes.h"
#include "panel/entry_box.h"
#include "panel/link_lamp_widget.h"
#include "panel/panel_window_widgets.h"
#include "panel/spin_button.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/style.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include <limits>
#include <optional>

namespace zz::panel {

using namespace ui;  // the house style's vocabulary

namespace {

// The ohm sign: the unit captions read as the operator expects them.
const QString kOhm = QStringLiteral("\u03A9");

using colour::kBlack;
using colour::kDarkRed;
using colour::kFooterBlue;
using colour::kGreen;
using colour::kNavy;
using face::kArial;
using face::kDefaultPoints;
using face::kMediumPoints;
using face::kSansSerif;

constexpr Face kUnitFace{kArial, 12};                        // the units, the presets
constexpr Face kEntryFace{kSansSerif, kMediumPoints, true};  // the entry box and its label

const QString kInstructions =
    QStringLiteral("'Dial' up a value, enter a value directly or select a preset value.");

// Labels on the client area, all clear (the picture shows around the text).
const Element kLabels[] = {
    {"Label7", 165, 105, 2535, 435, kInstructions, {}, kBlack},
    {"Label5", 3195, 150, 300, 360, "k" + kOhm, kUnitFace},
    {"Label4", 4065, 150, 300, 360, kOhm, kUnitFace},
    {"Label6", 4875, 180, 300, 360, "m", {kArial, kMediumPoints}},
    {"Label3", 5055, 150, 300, 360, kOhm, kUnitFace},
    {"Label8", 4830, 1215, 660, 1050, kOhm, {kArial, 39.75}},
    {"Label1", 165, 2955, 1395, 255, "Enter a value", kEntryFace, kBlack},
    {"Label2", 3285, 2925, 300, 360, kOhm, kUnitFace, kBlack},
    {"Label9", 1100, 4200, 1800, 375, "MODEL 6175", {kArial, 14.25, true}, kFooterBlue},
    {"Label10", 1100, 4530, 1845, 255, "Virtual Panel", {kArial, 9, true, true}, kFooterBlue},
};

// The program logo at its own size.
constexpr int kLogoLeft = 180;
constexpr int kLogoTop = 4125;

struct LineRow {
    const char *name;
    int x1, y1, x2;  // horizontal, from (x1, y1) to (x2, y1)
};

const LineRow kLines[] = {
    {"Line6", 180, 45, 5200},   {"Line4", 180, 570, 5200},  {"Line3", 180, 2775, 5835},
    {"Line1", 180, 3375, 5835}, {"Line2", 195, 4035, 5835},
};

struct RectRow {
    const char *name;
    int left, top, width, height;
    std::optional<QColor> colour;  // fill and border; else a hollow default-border frame
};

const RectRow kRects[] = {
    {"Shape3", 2790, 195, 360, 210, kNavy},
    {"Shape2", 3645, 195, 360, 210, kDarkRed},
    {"Shape1", 4470, 195, 360, 210, kGreen},
    {"Shape4", 885, 1155, 3915, 1080, {}},
};
constexpr int kRectBorderWidth = 1;

// The border, beneath the background picture: inset from the window's top
// left corner by pixels, its border wider than the other rectangles'.
constexpr int kBorderInset = 10;
constexpr int kBorderWidth = 2;

// Wheel left edges by digitLabels index 1..6 (slot 0 unused); the down arrow of digit 6 sits
// 15 twips further left than its up arrow.
constexpr int kAdjUpLeft[7] = {0, 4170, 3285, 2730, 2190, 1635, 1080};
constexpr int kAdjDownLeft[7] = {0, 4170, 3285, 2730, 2190, 1635, 1065};
constexpr int kAdjUpTop = 840;
constexpr int kAdjDownTop = 1905;
constexpr int kAdjWidth = 450;
constexpr int kAdjHeight = 630;

// The raised readout panel over the wheels' inner halves.
constexpr int kReadoutLeft = 915;
constexpr int kReadoutTop = 1170;
constexpr int kReadoutWidth = 3840;
constexpr int kReadoutHeight = 1050;  // as high as its digits
constexpr int kReadoutLineWidth = 1;

// The readout inside that panel: the digits' lefts by index 1..6, the point between
// digits 2 and 1.
constexpr int kDigitLeft[7] = {0, 3210, 2340, 1785, 1230, 675, 120};
constexpr int kDigitWidth = 555;
constexpr int kPointLeft = 2895;
constexpr int kPointWidth = 315;
constexpr Face kReadoutFace{kArial, 48};
constexpr QColor kDigitColour[7] = {{}, kGreen, kDarkRed, kDarkRed, kDarkRed, kNavy, kNavy};

struct PresetRow {
    int left, width;
    QString caption;
};

// Preset buttons 1..7, all top 3465, height 480.
const PresetRow kPresets[8] = {
    {},
    {165, 700, "0.1" + kOhm},
    {990, 700, "1" + kOhm},
    {1815, 700, "10" + kOhm},
    {2625, 700, "100" + kOhm},
    {3435, 700, "1k" + kOhm},
    {4260, 700, "10k" + kOhm},
    {5085, 795, "100k" + kOhm},
};
constexpr int kPresetTop = 3465;
constexpr int kPresetHeight = 480;

// RanBut0 left of the readout, the entry row, and Exit at the foot.
const Element kZeroButton{"RanBut0", 180, 1170, 645, 1065, "ZERO"};
const Element kEntryBox{"ManText", 1800, 2895, 1410, 360, {}, kEntryFace};
const Element kSetButton{"SetBut", 4245, 2895, 1590, 375, "&Set Value"};
const Element kExitButton{"ExitBut", 4320, 4335, 1515, 405, "&Exit"};
// The link lamp in the footer's free space between the caption and Exit.
const Element kLinkLamp{"LinkLamp", 3090, 4245, 1185, 570, {}, {kSansSerif, 7}};

SpinButton *makeWheel(QWidget *parent, const QString &name, int left, int top,
                      SpinButton::Arrow space) {
    auto *wheel = new SpinButton(parent);
    wheel->setObjectName(name);
    wheel->setGeometry(ui::twipsRect(left, top, kAdjWidth, kAdjHeight));
    wheel->setSpaceArrow(space);
    // The readout covers the inner part of the wheel: the arrow that shows
    // takes every row outside it.
    const int readoutTop = ui::twips(kReadoutTop),
              readoutBottom = ui::twips(kReadoutTop + kReadoutHeight);
    wheel->setSplit(space == SpinButton::Arrow::Up ? readoutTop - wheel->y()
                                                   : readoutBottom - wheel->y());
    return wheel;
}

// A label of the readout: white behind, in the readout's face.
QLabel *makeReadoutLabel(QWidget *readout, const QString &name, int left, int width,
                         const QString &caption, const QColor &colour) {
    QLabel *label = ui::makeLabel(
        readout, {name, left, 0, width, kReadoutHeight, caption, kReadoutFace, colour});
    ui::setBackground(label, colour::kWhite);
    return label;
}

}  // namespace

PanelWindow::Widgets::Widgets(QWidget *clientArea, QMenuBar *menu) : client(clientArea) {
    ui::registerPanelFonts();
    client->setFont(Face{kSansSerif, kDefaultPoints}.font());

    comPortAction = menu->addAction(QStringLiteral("COM Port"));
    comPortAction->setObjectName(QStringLiteral("COMMenu"));
    aboutAction = menu->addAction(QStringLiteral("About"));
    aboutAction->setObjectName(QStringLiteral("AboMenu"));

    // Beneath everything; placed with the picture by placeBackground().
    border = new RectShape(colour::kDesktop, kBorderWidth, std::nullopt, client);
    border->setObjectName(QStringLiteral("BorderShape"));

    background = ui::makePicture(client, QStringLiteral("BGImage"), picture::kPanelBackground);
    background->setScaledContents(true);

    for (const LineRow &row : kLines) {
        auto *line = new LineShape(colour::kGrey, client);
        line->setObjectName(QLatin1StringView(row.name));
        line->setGeometry(ui::twips(row.x1), ui::twips(row.y1),
                          ui::twips(row.x2) - ui::twips(row.x1), 1);
    }
    for (const RectRow &row : kRects) {
        const QColor border = row.colour.value_or(client->palette().color(QPalette::WindowText));
        auto *shape = new RectShape(border, kRectBorderWidth, row.colour, client);
        shape->setObjectName(QLatin1StringView(row.name));
        shape->setGeometry(ui::twipsRect(row.left, row.top, row.width, row.height));
    }
    for (const Element &row : kLabels) ui::makeLabel(client, row);
    QLabel *logo = ui::makePicture(client, QStringLiteral("Image1"), picture::kLogo);
    logo->setGeometry(QRect(ui::twipsPoint(kLogoLeft, kLogoTop), picture::kLogo.size));

    // The wheels, then the readout panel over their inner halves.
    for (int i = 6; i >= 1; --i)
        upArrows[i] = makeWheel(client, QStringLiteral("AdjUp%1").arg(i), kAdjUpLeft[i], kAdjUpTop,
                                SpinButton::Arrow::Up);
    for (int i = 6; i >= 1; --i)
        downArrows[i] = makeWheel(client, QStringLiteral("AdjDown%1").arg(i), kAdjDownLeft[i],
                                  kAdjDownTop, SpinButton::Arrow::Down);

    readoutPanel = new QFrame(client);
    readoutPanel->setObjectName(QStringLiteral("SSPanel1"));
    readoutPanel->setGeometry(
        ui::twipsRect(kReadoutLeft, kReadoutTop, kReadoutWidth, kReadoutHeight));
    readoutPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    readoutPanel->setLineWidth(kReadoutLineWidth);
    ui::setBackground(readoutPanel, colour::kWhite);

    for (int i = 6; i >= 1; --i)
        digitLabels[i] =
            makeReadoutLabel(readoutPanel, QStringLiteral("DigitLab%1").arg(i), kDigitLeft[i],
                             kDigitWidth, QStringLiteral("0"), kDigitColour[i]);
    makeReadoutLabel(readoutPanel, QStringLiteral("Label11"), kPointLeft, kPointWidth,
                     QStringLiteral("."), kBlack);

    // Enter belongs to the entry box alone: no button is the default.
    presetButtons[0] = ui::makeButton(client, kZeroButton);
    for (int n = 1; n <= 7; ++n) {
        const PresetRow &row = kPresets[n];
        presetButtons[n] =
            ui::makeButton(client, {QStringLiteral("RanBut%1").arg(n), row.left, kPresetTop,
                                    row.width, kPresetHeight, row.caption, kUnitFace});
    }

    entryBox = new EntryBox(client);
    ui::placeElement(entryBox, kEntryBox);
    entryBox->setMaxLength(std::numeric_limits<int>::max());  // no limit on what is typed

    setButton = ui::makeButton(client, kSetButton);
    exitButton = ui::makeButton(client, kExitButton);
    linkLamp = new LinkLampWidget(client);
    ui::placeElement(linkLamp, kLinkLamp);

    // Tab order: up arrows 6..1, down arrows 6..1, then the rest of the panel.
    QList<QWidget *> order;
    for (int i = 6; i >= 1; --i) order << upArrows[i];
    for (int i = 6; i >= 1; --i) order << downArrows[i];
    order << presetButtons[0] << entryBox << presetButtons[3] << presetButtons[4]
          << presetButtons[5] << presetButtons[6] << presetButtons[7] << exitButton << setButton
          << presetButtons[2] << presetButtons[1];
    for (qsizetype k = 1; k < order.size(); ++k) QWidget::setTabOrder(order[k - 1], order[k]);
}

void PanelWindow::Widgets::placeBackground(QSize outer) {
    // Stretched over the window's outer size: its right and bottom parts fall
    // outside the client area and are cut off.
    background->setGeometry(QRect(QPoint(0, 0), outer));
    border->setGeometry(kBorderInset, kBorderInset, outer.width() - kBorderInset,
                        outer.height() - kBorderInset);
}

}  // namespace zz::panel
