#include "start_screen.h"

#include "common/version.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/style.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace zz::panel {

using namespace ui;  // the house style's vocabulary

namespace {

// The window and its elements, in twips. It is as big as its picture.
constexpr int kWidthTwips = 7650;
constexpr int kHeightTwips = 4695;
static_assert(QSize(ui::twips(kWidthTwips), ui::twips(kHeightTwips)) ==
              picture::kStartBackground.size);

// The window's own face (the version line's); the OK button's is the same, not bold.
constexpr Face kWindowFace{face::kSansSerif, face::kDefaultPoints, true};
constexpr Face kTitleFace{face::kArialBlack, 27.75};
constexpr Face kSubtitleFace{face::kArialBlack, 9};
using colour::kTitleBlue;
using common::kVersionText;

// Bottom to top, as they overlap: the big "6175" box reaches over the
// subtitle and its rules.
const Element kTitle{"TitleLab0", 975, 105, 4185, 1125, "6175", kTitleFace, kTitleBlue};

struct RuleRow {
    const char *name;
    int x1, x2, y;
};
const RuleRow kTitleRules[] = {{"TitleLine0", 1005, 5350, 795}, {"TitleLine1", 1005, 5350, 1080}};

constexpr char kSubtitleText[] = "PROGRAMMABLE RESISTANCE BOX ZIZ";
const Element kSubtitle{"TitleLab1", 990, 810, 3990, 255, kSubtitleText, kSubtitleFace, kTitleBlue};
const Element kVersionLine{"VerLab",    150,       1170, 6495, 195, common::kVersionText,
                           kWindowFace, kTitleBlue};

constexpr int kLogoLeft = 150;
constexpr int kLogoTop = 345;

const Element kOkButton{"OKBut", 6000, 4065, 1515, 405, "&OK"};

}  // namespace

QPoint StartScreen::centredOrigin(const QRect &screen) {
    // In twips, single precision and halved without rounding, as the window
    // has always placed itself; whole pixels only at the very end, so a small
    // screen is overhung equally on both sides.
    const float left = (float(screen.width() * ui::kTwipsPerPixel) - float(kWidthTwips)) / 2.0f;
    const float top = (float(screen.height() * ui::kTwipsPerPixel) - float(kHeightTwips)) / 2.0f;
    return screen.topLeft() + QPoint(int(std::lround(left / float(ui::kTwipsPerPixel))),
                                     int(std::lround(top / float(ui::kTwipsPerPixel))));
}

StartScreen::StartScreen() : QDialog(nullptr, Qt::FramelessWindowHint | Qt::Dialog) {
    ui::registerPanelFonts();  // the stand-ins must be in place before any font is matched
    setObjectName(QStringLiteral("STARTFORM"));
    setWindowTitle(QStringLiteral("Quellor 6175 Virtual Panel"));
    setFixedSize(ui::twips(kWidthTwips), ui::twips(kHeightTwips));
    setFont(kWindowFace.font());
    ui::setPaletteColour(this, QPalette::Window, colour::kWhite);
    background_.load(picture::kStartBackground.resource());

    ui::makeLabel(this, kTitle);
    for (const RuleRow &row : kTitleRules)
        ui::makeRule(this, row.name, row.x1, row.x2, row.y, kTitleBlue);
    ui::makeLabel(this, kSubtitle);
    versionLabel_ = ui::makeLabel(this, kVersionLine);

    QLabel *logo = ui::makePicture(this, QStringLiteral("Image1"), picture::kLogo);
    logo->setGeometry(QRect(ui::twipsPoint(kLogoLeft, kLogoTop), picture::kLogo.size));

    okButton_ = ui::makeButton(this, kOkButton);
    okButton_->setAutoDefault(true);  // in the About box, Enter presses OK
    okButton_->hide();
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(centredOrigin(screen->geometry()));
}

void StartScreen::showAbout() {
    okButton_->show();
    exec();
}

void StartScreen::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), colour::kWhite);
    painter.drawPixmap(0, 0, background_);
}

void StartScreen::keyPressEvent(QKeyEvent *event) {
    // Only OK (or Alt+O) dismisses the About box; Escape does nothing here.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace zz::panel
