#include "panel/panel_window.h"

#include "common/version.h"
#include "panel/entry_box.h"
#include "panel/link_lamp_widget.h"
#include "panel/panel_window_widgets.h"
#include "panel/spin_button.h"
#include "ui/pictures.h"

#include <QAction>
#include <QCheckBox>
#include <QFileSystemWatcher>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QWheelEvent>

#include <chrono>

namespace zz::panel {

PanelWindow::PanelWindow(link::SerialControl &serial, frontpanel::MessageBoxes &boxes)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      serial_(serial) {
    setObjectName(QStringLiteral("ResForm"));
    // The caption, followed by the version text after creation.
    setWindowTitle(QString::fromLatin1(layout::panel::kCaption.data(),
                                       qsizetype(layout::panel::kCaption.size())));
    setWindowIcon(QIcon(ui::picture::kLogo.resource()));

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
    title_ = windowTitle() + QString::fromLatin1(common::kVersionText);
    setWindowTitle(title_);

    // The digitLabels labels are views of the register.
    register_.setObserver([this](int i) {
        w_->digitLabels[static_cast<size_t>(i)]->setText(
            QString::fromStdString(register_.digitText(i)));
    });
    for (int i = 1; i <= frontpanel::ValueRegister::kDigits; ++i)
        w_->digitLabels[static_cast<size_t>(i)]->setText(
            QString::fromStdString(register_.digitText(i)));
    frontpanel::PanelView &view = *this;
    logic_ = std::make_unique<frontpanel::PanelLogic>(register_, view, boxes);

    // Only the up event of an up wheel and the down event of a down wheel act.
    // The Up and Down keys on either arrow, and the mouse wheel over a digit
    // or its arrows, step that digit as the arrows do.
    for (int i = 1; i <= frontpanel::ValueRegister::kDigits; ++i) {
        const auto k = static_cast<size_t>(i);
        connect(w_->upArrows[k], &SpinButton::spinUp, this,
                [this, i] { act([&] { logic_->upStep(i); }); });
        connect(w_->downArrows[k], &SpinButton::spinDown, this,
                [this, i] { act([&] { logic_->downStep(i); }); });
        for (SpinButton *arrow : {w_->upArrows[k], w_->downArrows[k]}) {
            connect(arrow, &SpinButton::keyStep, this, [this, i](bool up) {
                act([&] { up ? logic_->upStep(i) : logic_->downStep(i); });
            });
            arrow->installEventFilter(this);
        }
        w_->digitLabels[k]->installEventFilter(this);
    }
    for (int n = 0; n <= 7; ++n)
        connect(w_->presetButtons[static_cast<size_t>(n)], &QPushButton::clicked, this,
                [this, n] { act([&] { logic_->preset(n); }); });
    connect(w_->setButton, &QPushButton::clicked, this, &PanelWindow::runEntry);
    connect(w_->entryBox, &EntryBox::enterKey, this, &PanelWindow::runEntry);
    connect(w_->exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(w_->comPortAction, &QAction::triggered, this, [this] {
        if (comPortCommand_) comPortCommand_();
    });
    connect(w_->aboutAction, &QAction::triggered, this, [this] {
        if (aboutCommand_) aboutCommand_();
    });

    // The link lamp: every command through this port, whoever sent it.
    serial_.setCommandObserver([this](const std::string &command, const Status &status) {
        lamp_.commandSent(command, status, serial_.devicePresent(),
                          std::chrono::system_clock::now());
        showLamp();
    });
    connect(w_->linkLamp, &LinkLampWidget::clicked, this, &PanelWindow::resend);
    connect(w_->trueSwitch, &QCheckBox::toggled, this, &PanelWindow::switchTrueMode);
    auto *resendKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(resendKey, &QShortcut::activated, this, &PanelWindow::resend);

    // The idle watch: the device's presence once a second, and the record of
    // its last command whenever the records' directory changes. The record
    // found now is the starting point, not news.
    follower_.start(serial_.devicePath());
    if (const std::string records = link::commandRecordDirectory(); !records.empty()) {
        auto *watcher = new QFileSystemWatcher({QString::fromStdString(records)}, this);
        connect(watcher, &QFileSystemWatcher::directoryChanged, this, &PanelWindow::watchLink);
    }
    connect(&presenceTimer_, &QTimer::timeout, this, &PanelWindow::watchLink);
    presenceTimer_.start(kPresenceCheckMs);
    lamp_.devicePresence(serial_.devicePresent());
    showLamp();
    watchProfile();

    w_->upArrows[6]->setFocus();  // first in the tab order
}

PanelWindow::~PanelWindow() {
    // The labels go with the window; the register must not reach them then,
    // nor the control the lamp.
    register_.setObserver(nullptr);
    serial_.setCommandObserver(nullptr);
}

void PanelWindow::act(const std::function<void()> &action) {
    lamp_.beginAction();
    action();
    lamp_.endAction();
    showLamp();
}

void PanelWindow::resend() {
    act([this] { logic_->resend(); });
}

void PanelWindow::showLamp() {
    w_->linkLamp->show(lamp_.view("COM" + std::to_string(serial_.port()), serial_.devicePath()));
}

void PanelWindow::watchLink() {
    lamp_.devicePresence(serial_.devicePresent());
    followRecord();
    watchProfile();
    showLamp();
}

void PanelWindow::watchProfile() {
    if (const auto news = profile_.look(serial_.port())) logic_->setRules(profile_.rules(), *news);
}

void PanelWindow::switchTrueMode(bool on) {
    // Refused without a correction table: the switch goes back, the caption says why.
    if (!logic_->setTrueMode(on)) captionChanged();
}

void PanelWindow::captionChanged() {
    const std::string &caption = logic_->caption();
    setWindowTitle(caption.empty()
                       ? title_
                       : title_ + QStringLiteral(" \u2014 ") + QString::fromStdString(caption));
    const QSignalBlocker quiet(w_->trueSwitch);
    w_->trueSwitch->setChecked(logic_->trueMode());
}

void PanelWindow::followRecord() {
    if (const auto record = follower_.news(serial_.devicePath()))
        if (logic_->follow(record->command)) lamp_.followed(*record);
}

bool PanelWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::Wheel) return QMainWindow::eventFilter(watched, event);
    for (int i = 1; i <= frontpanel::ValueRegister::kDigits; ++i) {
        const auto k = static_cast<size_t>(i);
        if (watched != w_->digitLabels[k] && watched != w_->upArrows[k] &&
            watched != w_->downArrows[k])
            continue;
        const int notches = wheel_.add(i, static_cast<QWheelEvent *>(event)->angleDelta().y());
        act([&] {
            for (int n = 0; n < notches; ++n) logic_->upStep(i);
            for (int n = 0; n > notches; --n) logic_->downStep(i);
        });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

Status PanelWindow::sendCommand(const std::string &command) {
    return link::sendCommand(serial_, command);
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
    bool taken = false;
    act([&] { taken = logic_->enterValue(w_->entryBox->text().toStdString()); });
    if (taken) w_->entryBox->clear();
}

// Repaints happen now, not later: the new value is on screen before the
// possibly slow transmission starts.
void PanelWindow::repaintDigit(int i) {
    if (i >= 1 && i <= frontpanel::ValueRegister::kDigits)
        w_->digitLabels[static_cast<size_t>(i)]->repaint();
}

void PanelWindow::repaintPanel() {
    repaint();
}

Status PanelWindow::send(const std::string &command) {
    return sendCommand(command);
}

}  // namespace zz::panel
