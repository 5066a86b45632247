#include "portdialog/port_dialog.h"

#include "layout/pictures.h"
#include "layout/port_dialog_layout.h"
#include "link/port_map.h"
#include "startup/port_choice.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/style.h"

#include <QComboBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <string>
#include <utility>

namespace zz::portdialog {

namespace {

namespace table = layout::port_dialog;

// It is as big as its picture.
static_assert(layout::pixels(table::kWidth) == layout::picture::kDialogBackground.width &&
              layout::pixels(table::kHeight) == layout::picture::kDialogBackground.height);

}  // namespace

PortDialog::PortDialog(const std::string &preset, Acceptor acceptor)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint),
      acceptor_(std::move(acceptor)) {
    ui::registerPanelFonts();  // the stand-ins must be in place before any font is matched
    setObjectName(QStringLiteral("CommPortForm"));
    setWindowTitle(QString::fromLatin1(table::kCaption.data(), qsizetype(table::kCaption.size())));
    setFixedSize(layout::pixels(table::kWidth), layout::pixels(table::kHeight));
    QIcon icon(ui::picture::kPortIcon.resource());
    icon.addFile(ui::picture::kPortIconSmall.resource());
    setWindowIcon(icon);
    setFont(ui::font({}));
    background_.load(ui::picture::kDialogBackground.resource());

    prompt_ = ui::makeLabel(this, table::element(table::kPrompt));
    // One word, large: it stays on its line.
    ui::makeLabel(this, table::element("Label1"))->setWordWrap(false);

    portBox_ = new QComboBox(this);
    ui::placeElement(portBox_, table::element(table::kPortBox));
    portBox_->setEditable(true);
    portBox_->setInsertPolicy(QComboBox::NoInsert);  // Enter must not grow the list

    // Enter presses neither button: no key has a meaning of its own.
    exitButton_ = ui::makeButton(this, table::element(table::kExitButton));
    okButton_ = ui::makeButton(this, table::element(table::kOkButton));

    setTabOrder(exitButton_, okButton_);
    setTabOrder(okButton_, portBox_);
    exitButton_->setFocus();

    connect(okButton_, &QPushButton::clicked, this, &PortDialog::confirm);
    connect(exitButton_, &QPushButton::clicked, this, [this] {
        // Ends the program under either caption; the caller does the ending.
        outcome_ = Outcome::ExitProgram;
        done(QDialog::Rejected);
    });
    connect(portBox_, &QComboBox::editTextChanged, this, &PortDialog::updatePortTip);

    // The load step.
    for (const std::string &port : startup::listedPorts())
        portBox_->addItem(QString::fromStdString(port));
    const QString current = QString::fromStdString(preset);
    if (const int i = portBox_->findText(current); i >= 0) portBox_->setCurrentIndex(i);
    portBox_->setEditText(current);
    updatePortTip();
}

PortDialog::Outcome PortDialog::showModal() {
    outcome_ = Outcome::Closed;  // the close box and Escape leave it so
    exec();
    return outcome_;
}

void PortDialog::confirm() {
    if (!acceptor_(portBox_->currentText().toStdString())) return;
    outcome_ = Outcome::Confirmed;
    done(QDialog::Accepted);
}

void PortDialog::updatePortTip() {
    const auto port = startup::portNumber(portBox_->currentText().toStdString());
    const bool usable = port && link::isPortNumber(*port);
    portBox_->setToolTip(usable ? QString::fromStdString(link::describePort(*port))
                                : QStringLiteral("not a port number"));
}

void PortDialog::keyPressEvent(QKeyEvent *event) {
    // No key has a meaning of its own here: Escape does not close the dialog
    // (only the close box does), and Enter presses no button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PortDialog::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(0, 0, background_);
}

}  // namespace zz::portdialog
