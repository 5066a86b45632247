#include "panel/panel_window.h"

#include "common/version.h"
#include "panel/entry_box.h"
#include "panel/panel_window_widgets.h"
#include "panel/spin_button.h"
#include "ui/pictures.h"

#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace zz {

namespace {

// The caption, followed by the version text.
constexpr const char *kCaption = "6175 Virtual Panel";

}  // namespace

PanelWindow::PanelWindow(SerialControl &serial, MessageBoxes &boxes)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      serial_(serial) {
    setObjectName(QStringLiteral("ResForm"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(QIcon(picture::kLogo.resource()));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    w_ = std::make_unique<Widgets>(client, menuBar());
    setFixedSize(sizeHint());

    // Creation steps: the background over the window's outer size, the
    // version in the caption.
    const int menuHeight = menuBar()->sizeHint().height();
    w_->placeBackground(QSize(kClientWidth + 2 * kFrameBorder,
                              kTitleBar + menuHeight + kClientHeight + 2 * kFrameBorder));
    setWindowTitle(windowTitle() + QString::fromLatin1(program::kVersionText));

    // The digitLabels labels are views of the register.
    register_.setObserver([this](int i) {
        w_->digitLabels[static_cast<size_t>(i)]->setText(
            QString::fromStdString(register_.digitText(i)));
    });
    for (int i = 1; i <= ValueRegister::kDigits; ++i)
        w_->digitLabels[static_cast<size_t>(i)]->setText(
            QString::fromStdString(register_.digitText(i)));
    PanelView &view = *this;
    logic_ = std::make_unique<PanelLogic>(register_, view, boxes);

    // Only the up event of an up wheel and the down event of a down wheel act.
    for (int i = 1; i <= ValueRegister::kDigits; ++i) {
        connect(w_->upArrows[static_cast<size_t>(i)], &SpinButton::spinUp, this,
                [this, i] { logic_->upStep(i); });
        connect(w_->downArrows[static_cast<size_t>(i)], &SpinButton::spinDown, this,
                [this, i] { logic_->downStep(i); });
    }
    for (int n = 0; n <= 7; ++n)
        connect(w_->presetButtons[static_cast<size_t>(n)], &QPushButton::clicked, this,
                [this, n] { logic_->preset(n); });
    connect(w_->setButton, &QPushButton::clicked, this, &PanelWindow::runEntry);
    connect(w_->entryBox, &EntryBox::enterKey, this, &PanelWindow::runEntry);
    connect(w_->exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(w_->comPortAction, &QAction::triggered, this, [this] {
        if (comPortCommand_) comPortCommand_();
    });
    connect(w_->aboutAction, &QAction::triggered, this, [this] {
        if (aboutCommand_) aboutCommand_();
    });

    w_->upArrows[6]->setFocus();  // first in the tab order
}

PanelWindow::~PanelWindow() {
    // The labels go with the window; the register must not reach them then.
    register_.setObserver(nullptr);
}

Status PanelWindow::sendCommand(const std::string &command) {
    return zz::sendCommand(serial_, command);
}

void PanelWindow::reset() {
    register_.reset();
}

void PanelWindow::setDisplay(const std::string &digits) {
    register_.setDisplay(digits);
}

void PanelWindow::setComPortCommand(std::function<void()> command) {
    comPortCommand_ = std::move(command);
}

void PanelWindow::setAboutCommand(std::function<void()> command) {
    aboutCommand_ = std::move(command);
}

void PanelWindow::runEntry() {
    // An accepted value empties the box; a refused one stays for correcting.
    if (logic_->enterValue(w_->entryBox->text().toStdString())) w_->entryBox->clear();
}

// Repaints happen now, not later: the new value is on screen before the
// possibly slow transmission starts.
void PanelWindow::repaintDigit(int i) {
    if (i >= 1 && i <= ValueRegister::kDigits) w_->digitLabels[static_cast<size_t>(i)]->repaint();
}

void PanelWindow::repaintPanel() {
    repaint();
}

Status PanelWindow::send(const std::string &command) {
    return sendCommand(command);
}

}  // namespace zz
