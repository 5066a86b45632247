#include "portdialog/port_dialog.h"

#include "layout/pictures.h"
#include "layout/port_dialog_layout.h"
#include "portdialog/port_box.h"
#include "startup/port_listing.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/style.h"

#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <string>
#include <utility>

namespace zz::portdialog {

namespace {

namespace table = layout::port_dialog;

constexpr Qt::WindowFlags kFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;

// It is as big as its picture.
static_assert(layout::pixels(table::kWidth) == layout::picture::kDialogBackground.width &&
              layout::pixels(table::kHeight) == layout::picture::kDialogBackground.height);

}  // namespace

PortDialog::PortDialog(const std::string &preset, Acceptor acceptor)
    : QDialog(nullptr, kFlags),
      ownPorts_(std::make_unique<startup::PortListing>()),
      acceptor_(std::move(acceptor)) {
    build(preset, *ownPorts_);
}

PortDialog::PortDialog(const std::string &preset, startup::PortListing &ports, Acceptor acceptor)
    : QDialog(nullptr, kFlags), acceptor_(std::move(acceptor)) {
    build(preset, ports);
}

PortDialog::~PortDialog() {
    delete portBox_;  // before the listing it shows, which may be the dialog's own
}

void PortDialog::build(const std::string &preset, startup::PortListing &ports) {
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

    // The load step: the list, then the box preset.
    portBox_ = new PortBox(this, ports);
    ui::placeElement(portBox_, table::element(table::kPortBox));
    portBox_->preset(QString::fromStdString(preset));

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
}

QComboBox *PortDialog::portBox() const {
    return portBox_;
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
