// The panel's elements, their places (twips), captions, typefaces and
// colours. Creation order is stacking order: BorderShape, BGImage, the drawn
// elements, the wheels, the readout panel over the wheels, then the buttons
// and the entry box.

#include "panel/drawn_shapes.h"
#include "panel/entry_box.h"
#include "panel/panel_window_widgets.h"
#include "panel/spin_button.h"
#include "ui/fonts.h"
#include "ui/twips.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include <limits>
#include <optional>

namespace zz {

namespace {

const QColor kGrey(128, 128, 128);
const QColor kNavy(0, 0, 128);
const QColor kDarkRed(192, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
// No desktop colour exists on this platform; BorderShape lies beneath the
// background picture anyway.
const QColor kDesktop(0, 128, 128);

const QString kSansSerif = QStringLiteral("MS Sans Serif");
const QString kArial = QStringLiteral("Arial");
constexpr qreal kDefaultPoints = 8.25;

// The ohm sign: the unit captions read as the operator expects them.
const QString kOhm = QStringLiteral("\u03A9");

struct Face {
    QString family = kSansSerif;
    qreal points = kDefaultPoints;
    bool bold = false;
    bool italic = false;
};

struct LabelRow {
    const char *name;
    int left, top, width, height;
    QString caption;
    Face face;
    std::optional<QColor> text;  // else the platform's label colour
};

// Labels on the client area, all clear (the picture shows around the text).
const LabelRow kLabels[] = {
    {"Label7",
     165,
     105,
     2535,
     435,
     QStringLiteral("'Dial' up a value, enter a value directly or select a preset value."),
     {},
     kBlack},
    {"Label5", 3195, 150, 300, 360, "k" + kOhm, {kArial, 12}, {}},
    {"Label4", 4065, 150, 300, 360, kOhm, {kArial, 12}, {}},
    {"Label6", 4875, 180, 300, 360, QStringLiteral("m"), {kArial, 9.75}, {}},
    {"Label3", 5055, 150, 300, 360, kOhm, {kArial, 12}, {}},
    {"Label8", 4830, 1215, 660, 1050, kOhm, {kArial, 39.75}, {}},
    {"Label1",
     165,
     2955,
     1395,
     255,
     QStringLiteral("Enter a value"),
     {kSansSerif, 9.75, true},
     kBlack},
    {"Label2", 3285, 2925, 300, 360, kOhm, {kArial, 12}, kBlack},
    {"Label9", 1100, 4200, 1800, 375, QStringLiteral("MODEL 6175"), {kArial, 14.25, true}, {}},
    {"Label10",
     1100,
     4530,
     1845,
     255,
     QStringLiteral("Virtual Panel"),
     {kArial, 9, true, true},
     {}},
};

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

// Wheel left edges by digitLabels index 1..6 (slot 0 unused); AdjDown(6) sits
// 15 twips further left than AdjUp(6).
constexpr int kAdjUpLeft[7] = {0, 4170, 3285, 2730, 2190, 1635, 1080};
constexpr int kAdjDownLeft[7] = {0, 4170, 3285, 2730, 2190, 1635, 1065};
constexpr int kAdjUpTop = 840;
constexpr int kAdjDownTop = 1905;
constexpr int kReadoutTop = 1170;  // SSPanel1, as high as its digits (kReadoutHeight)
constexpr int kAdjWidth = 450;
constexpr int kAdjHeight = 630;

// The readout inside SSPanel1: digitLabels lefts by index 1..6, the point between
// DigitLab(2) and DigitLab(1).
constexpr int kDigitLeft[7] = {0, 3210, 2340, 1785, 1230, 675, 120};
constexpr int kDigitWidth = 555;
constexpr int kReadoutHeight = 1050;
constexpr int kPointLeft = 2895;
constexpr int kPointWidth = 315;
constexpr qreal kReadoutPoints = 48;
const QColor kDigitColour[7] = {{}, kGreen, kDarkRed, kDarkRed, kDarkRed, kNavy, kNavy};

struct PresetRow {
    int left, width;
    QString caption;
};

// RanBut(1)..RanBut(7), all top 3465, height 480.
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

void setTextColour(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void setBackground(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QFont fontOf(const Face &face) {
    return panelFont(face.family, face.points, face.bold, face.italic);
}

// A label: no border, text from the top left, wrapped at word boundaries.
QLabel *makeLabel(QWidget *parent, const char *name, const QRect &box, const QString &caption,
                  const Face &face) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(box);
    label->setFont(fontOf(face));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(0, 0, 0, 0);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QRect &box, const QString &caption,
                        const Face &face) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(box);
    button->setFont(fontOf(face));
    // Enter belongs to the entry box alone: no button is the default.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

SpinButton *makeWheel(QWidget *parent, const QString &name, int left, int top,
                      SpinButton::Arrow space) {
    auto *wheel = new SpinButton(parent);
    wheel->setObjectName(name);
    wheel->setGeometry(twipsRect(left, top, kAdjWidth, kAdjHeight));
    wheel->setSpaceArrow(space);
    // The readout covers the inner part of the wheel: the arrow that shows
    // takes every row outside it.
    const int readoutTop = twips(kReadoutTop), readoutBottom = twips(kReadoutTop + kReadoutHeight);
    wheel->setSplit(space == SpinButton::Arrow::Up ? readoutTop - wheel->y()
                                                   : readoutBottom - wheel->y());
    return wheel;
}

QLabel *makePicture(QWidget *parent, const char *name, const QString &resource) {
    auto *picture = new QLabel(parent);
    picture->setObjectName(QLatin1String(name));
    picture->setPixmap(QPixmap(resource));
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    return picture;
}

}  // namespace

PanelWindow::Widgets::Widgets(QWidget *clientArea, QMenuBar *menu) : client(clientArea) {
    registerPanelFonts();
    client->setFont(panelFont(kSansSerif, kDefaultPoints));

    comPortAction = menu->addAction(QStringLiteral("COM Port"));
    comPortAction->setObjectName(QStringLiteral("COMMenu"));
    aboutAction = menu->addAction(QStringLiteral("About"));
    aboutAction->setObjectName(QStringLiteral("AboMenu"));

    // Beneath everything; placed with the picture by placeBackground().
    border = new RectShape(kDesktop, 2, std::nullopt, client);
    border->setObjectName(QStringLiteral("BorderShape"));

    background = makePicture(client, "BGImage", QStringLiteral(":/pictures/panel_background.jpg"));
    background->setScaledContents(true);

    for (const LineRow &row : kLines) {
        auto *line = new LineShape(kGrey, client);
        line->setObjectName(QLatin1String(row.name));
        line->setGeometry(twips(row.x1), twips(row.y1), twips(row.x2) - twips(row.x1), 1);
    }
    for (const RectRow &row : kRects) {
        const QColor border = row.colour.value_or(client->palette().color(QPalette::WindowText));
        auto *shape = new RectShape(border, 1, row.colour, client);
        shape->setObjectName(QLatin1String(row.name));
        shape->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
    }
    for (const LabelRow &row : kLabels) {
        QLabel *label =
            makeLabel(client, row.name, twipsRect(row.left, row.top, row.width, row.height),
                      row.caption, row.face);
        if (row.text) setTextColour(label, *row.text);
        if (QLatin1String(row.name) == QLatin1String("Label9")) modelLabel = label;
        if (QLatin1String(row.name) == QLatin1String("Label10")) captionLabel = label;
    }
    QLabel *logo = makePicture(client, "Image1", QStringLiteral(":/icons/logo48.png"));
    logo->setGeometry(twipsRect(180, 4125, 720, 720));
    logo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The wheels, then the readout panel over their inner halves.
    for (int i = 6; i >= 1; --i)
        upArrows[i] = makeWheel(client, QStringLiteral("AdjUp%1").arg(i), kAdjUpLeft[i], kAdjUpTop,
                                SpinButton::Arrow::Up);
    for (int i = 6; i >= 1; --i)
        downArrows[i] = makeWheel(client, QStringLiteral("AdjDown%1").arg(i), kAdjDownLeft[i],
                                  kAdjDownTop, SpinButton::Arrow::Down);

    readoutPanel = new QFrame(client);
    readoutPanel->setObjectName(QStringLiteral("SSPanel1"));
    readoutPanel->setGeometry(twipsRect(915, kReadoutTop, 3840, kReadoutHeight));
    readoutPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    readoutPanel->setLineWidth(1);
    setBackground(readoutPanel, kWhite);

    const Face readout{kArial, kReadoutPoints};
    for (int i = 6; i >= 1; --i) {
        const QString name = QStringLiteral("DigitLab%1").arg(i);
        digitLabels[i] = makeLabel(readoutPanel, name.toLatin1().constData(),
                                   twipsRect(kDigitLeft[i], 0, kDigitWidth, kReadoutHeight),
                                   QStringLiteral("0"), readout);
        setTextColour(digitLabels[i], kDigitColour[i]);
        setBackground(digitLabels[i], kWhite);
    }
    QLabel *point =
        makeLabel(readoutPanel, "Label11", twipsRect(kPointLeft, 0, kPointWidth, kReadoutHeight),
                  QStringLiteral("."), readout);
    setTextColour(point, kBlack);
    setBackground(point, kWhite);

    presetButtons[0] =
        makeButton(client, "RanBut0", twipsRect(180, 1170, 645, 1065), QStringLiteral("ZERO"), {});
    for (int n = 1; n <= 7; ++n) {
        const PresetRow &row = kPresets[n];
        const QString name = QStringLiteral("RanBut%1").arg(n);
        presetButtons[n] = makeButton(client, name.toLatin1().constData(),
                                      twipsRect(row.left, kPresetTop, row.width, kPresetHeight),
                                      row.caption, {kArial, 12});
    }

    entryBox = new EntryBox(client);
    entryBox->setObjectName(QStringLiteral("ManText"));
    entryBox->setGeometry(twipsRect(1800, 2895, 1410, 360));
    entryBox->setFont(panelFont(kSansSerif, 9.75, true));
    entryBox->setMaxLength(std::numeric_limits<int>::max());  // no limit on what is typed

    setButton = makeButton(client, "SetBut", twipsRect(4245, 2895, 1590, 375),
                           QStringLiteral("&Set Value"), {});
    exitButton = makeButton(client, "ExitBut", twipsRect(4320, 4335, 1515, 405),
                            QStringLiteral("&Exit"), {});

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
    border->setGeometry(10, 10, outer.width() - 10, outer.height() - 10);
}

}  // namespace zz
