#include "start_screen.h"

#include "layout/pictures.h"
#include "layout/start_screen_layout.h"
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

namespace zz::panel {

namespace table = layout::start_screen;

// It is as big as its picture.
static_assert(layout::pixels(table::kWidth) == layout::picture::kStartBackground.width &&
              layout::pixels(table::kHeight) == layout::picture::kStartBackground.height);

QPoint StartScreen::centredOrigin(const QRect &screen) {
    const table::Origin origin = table::centredOrigin(screen.width(), screen.height());
    return screen.topLeft() + QPoint(origin.left, origin.top);
}

StartScreen::StartScreen() : QDialog(nullptr, Qt::FramelessWindowHint | Qt::Dialog) {
    ui::registerPanelFonts();  // the stand-ins must be in place before any font is matched
    setObjectName(QStringLiteral("STARTFORM"));
    setWindowTitle(QString::fromLatin1(table::kCaption.data(), qsizetype(table::kCaption.size())));
    setFixedSize(layout::pixels(table::kWidth), layout::pixels(table::kHeight));
    setFont(ui::font(table::kWindowFace));
    ui::setPaletteColour(this, QPalette::Window, ui::qColour(layout::colour::kWhite));
    background_.load(ui::picture::kStartBackground.resource());

    for (const layout::Element &row : table::elements()) {
        switch (row.kind) {
            case layout::Kind::Label: {
                QLabel *label = ui::makeLabel(this, row);
                if (row.name == "VerLab") versionLabel_ = label;
                break;
            }
            case layout::Kind::Rule:
                ui::makeRule(this, row);
                break;
            case layout::Kind::Picture:
                ui::makePicture(this, row);
                break;
            case layout::Kind::Button:
                okButton_ = ui::makeButton(this, row);
                break;
            default:
                break;  // no other kinds on this window
        }
    }
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
    painter.fillRect(rect(), ui::qColour(layout::colour::kWhite));
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
