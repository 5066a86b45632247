#include "portdialog/port_dialog.h"

#include "common/leading_number.h"
#include "common/number_text.h"
#include "link/port_map.h"
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

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zz::portdialog {

using namespace ui;  // the house style's vocabulary

namespace {

// The dialog's size and its elements, in twips. It is as big as its picture.
constexpr int kWidth = 5820;
constexpr int kHeight = 2310;
static_assert(QSize(ui::twips(kWidth), ui::twips(kHeight)) == picture::kDialogBackground.size);

constexpr Face kArialMedium{face::kArial, face::kMediumPoints};
constexpr Face kArialLargeBold{face::kArial, 20.25, true};

const Element kPrompt{"CommLab", 240, 60, 5295, 990, "Please select a COM port :", kArialMedium};
const Element kComLabel{"Label1", 1830, 875, 1050, 465, "COM", kArialLargeBold, colour::kNavy};
const Element kPortBox{"COMCombo", 2865, 810, 1050, 600, {}, kArialLargeBold, colour::kDarkRed};
const Element kExitButton{"ExitBut", 180, 1725, 1645, 420, "&Exit"};
const Element kOkButton{"CommBut", 3960, 1740, 1650, 420, "&OK", kArialMedium};

// The port box lists ports 1 to this; any other number can be typed.
constexpr int kListedPorts = 20;

// The port number a box text names. The number goes through its 15-digit
// text form before it is rounded, so "3.4999999999999996" is port 4, as the
// text reads, not 3. No result when it is beyond the 16-bit range.
std::optional<int> portNumber(const std::string &boxText) {
    const common::LeadingNumber read = common::readLeadingNumber(boxText);
    if (read.overflow) return std::nullopt;
    char text[32];
    const auto written =
        std::to_chars(text, text + sizeof text, read.value, std::chars_format::general, 15);
    const auto port = common::toInt16(common::leadingNumber(std::string_view(text, written.ptr)));
    if (!port) return std::nullopt;
    return *port;
}

}  // namespace

PortDialog::PortDialog(int currentPort, Acceptor acceptor)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint),
      acceptor_(std::move(acceptor)) {
    ui::registerPanelFonts();  // the stand-ins must be in place before any font is matched
    setObjectName(QStringLiteral("CommPortForm"));
    setWindowTitle(QStringLiteral("Set Communication Port"));
    setFixedSize(ui::twips(kWidth), ui::twips(kHeight));
    QIcon icon(picture::kPortIcon.resource());
    icon.addFile(picture::kPortIconSmall.resource());
    setWindowIcon(icon);
    setFont(Face{}.font());
    background_.load(picture::kDialogBackground.resource());

    prompt_ = ui::makeLabel(this, kPrompt);
    ui::makeLabel(this, kComLabel)->setWordWrap(false);  // one word, large: it stays on its line

    portBox_ = new QComboBox(this);
    ui::placeElement(portBox_, kPortBox);
    portBox_->setEditable(true);
    portBox_->setInsertPolicy(QComboBox::NoInsert);  // Enter must not grow the list

    // Enter presses neither button: no key has a meaning of its own.
    exitButton_ = ui::makeButton(this, kExitButton);
    okButton_ = ui::makeButton(this, kOkButton);

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
    for (int i = 1; i <= kListedPorts; ++i) portBox_->addItem(QString::number(i));
    const QString current = QString::fromStdString(common::wholeNumberText(currentPort));
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
    if (!acceptor_(portNumber(portBox_->currentText().toStdString()))) return;
    outcome_ = Outcome::Confirmed;
    done(QDialog::Accepted);
}

void PortDialog::updatePortTip() {
    const auto port = portNumber(portBox_->currentText().toStdString());
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
