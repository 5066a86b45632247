#include "startup/start_screen.h"

#include "ui/fonts.h"
#include "ui/twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace zz {

namespace {

constexpr int kWidthTwips = 7650;
constexpr int kHeightTwips = 4695;
const QColor kTitleBlue(0, 97, 165);

QLabel *clearLabel(QWidget *parent, const char *name, const QString &text, const QRect &rect,
                   const QFont &font) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(rect);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setAutoFillBackground(false);  // the picture shows through
    return label;
}

// A 1-pixel rule from (x1, y) to (x2, y) in twips; the end point is not drawn.
QFrame *rule(QWidget *parent, const char *name, int x1, int x2, int y) {
    auto *line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setGeometry(twips(x1), twips(y), twips(x2) - twips(x1), 1);
    return line;
}

void paintText(QWidget *widget, QPalette::ColorRole role, const QColor &colour) {
    QPalette p = widget->palette();
    p.setColor(role, colour);
    widget->setPalette(p);
}

}  // namespace

struct StartScreen::Widgets {
    QPixmap background;
    QPushButton *okButton = nullptr;
    QLabel *logo = nullptr;
    QLabel *titleLabels[2] = {};
    QFrame *titleRules[2] = {};
    QLabel *versionLabel = nullptr;
};

QPoint StartScreen::centredOrigin(const QRect &screen) {
    // In twips, single precision and halved without rounding, as the window
    // has always placed itself; whole pixels only at the very end, so a small
    // screen is overhung equally on both sides.
    const float left = (float(screen.width() * 15) - float(kWidthTwips)) / 2.0f;
    const float top = (float(screen.height() * 15) - float(kHeightTwips)) / 2.0f;
    return screen.topLeft() + QPoint(int(std::lround(left / 15.0f)), int(std::lround(top / 15.0f)));
}

StartScreen::StartScreen()
    : QDialog(nullptr, Qt::FramelessWindowHint | Qt::Dialog), w_(new Widgets) {
    registerPanelFonts();  // the stand-ins must be in place before any font is matched
    setObjectName(QStringLiteral("STARTFORM"));
    setWindowTitle(QStringLiteral("Quellor 6175 Virtual Panel"));
    setFixedSize(twips(kWidthTwips), twips(kHeightTwips));
    setFont(panelFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    paintText(this, QPalette::Window, Qt::white);
    w_->background.load(QStringLiteral(":/pictures/start_background.jpg"));

    const QFont arialBlack27 = panelFont(QStringLiteral("Arial Black"), 27.75);
    const QFont arialBlack9 = panelFont(QStringLiteral("Arial Black"), 9);

    // Created bottom to top, as they overlap: the big "6175" box reaches over
    // the subtitle and its rules.
    w_->titleLabels[0] = clearLabel(this, "TitleLab0", QStringLiteral("6175"),
                                    twipsRect(975, 105, 4185, 1125), arialBlack27);
    w_->titleRules[0] = rule(this, "TitleLine0", 1005, 5350, 795);
    w_->titleRules[1] = rule(this, "TitleLine1", 1005, 5350, 1080);
    w_->titleLabels[1] =
        clearLabel(this, "TitleLab1", QStringLiteral("PROGRAMMABLE RESISTANCE BOX ZIZ"),
                   twipsRect(990, 810, 3990, 255), arialBlack9);
    w_->versionLabel = clearLabel(this, "VerLab", QStringLiteral("Vx.x : xx/xx/xxxx"),
                                  twipsRect(150, 1170, 6495, 195), font());

    w_->logo = new QLabel(this);
    w_->logo->setObjectName(QStringLiteral("Image1"));
    w_->logo->setGeometry(twipsRect(150, 345, 720, 720));
    w_->logo->setPixmap(QPixmap(QStringLiteral(":/icons/logo48.png")));
    w_->logo->setAlignment(Qt::AlignLeft | Qt::AlignTop);  // at its own size

    w_->okButton = new QPushButton(QStringLiteral("&OK"), this);
    w_->okButton->setObjectName(QStringLiteral("OKBut"));
    w_->okButton->setGeometry(twipsRect(6000, 4065, 1515, 405));
    w_->okButton->setFont(panelFont(QStringLiteral("MS Sans Serif"), 8.25));
    w_->okButton->hide();
    connect(w_->okButton, &QPushButton::clicked, this, &QDialog::accept);

    // The creation steps, in their order.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(centredOrigin(screen->geometry()));
    w_->versionLabel->setText(QStringLiteral(" V1.20 : 24/07/2006"));
    paintText(w_->versionLabel, QPalette::WindowText, kTitleBlue);
    paintText(w_->titleLabels[0], QPalette::WindowText, kTitleBlue);
    paintText(w_->titleLabels[1], QPalette::WindowText, kTitleBlue);
    paintText(w_->titleRules[0], QPalette::WindowText, kTitleBlue);
    paintText(w_->titleRules[1], QPalette::WindowText, kTitleBlue);
}

StartScreen::~StartScreen() {
    delete w_;
}

QPushButton *StartScreen::okButton() const {
    return w_->okButton;
}
QLabel *StartScreen::versionLabel() const {
    return w_->versionLabel;
}

void StartScreen::showAbout() {
    w_->okButton->show();
    exec();
}

void StartScreen::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawPixmap(0, 0, w_->background);
}

void StartScreen::keyPressEvent(QKeyEvent *event) {
    // Only OK (or Alt+O) dismisses the About box; Escape does nothing here.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace zz
