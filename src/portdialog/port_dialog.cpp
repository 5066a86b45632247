#include "portdialog/port_dialog.h"

#include "common/leading_number.h"
#include "common/number_text.h"
#include "link/port_map.h"
#include "ui/fonts.h"
#include "ui/twips.h"

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

namespace zz {

namespace {

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &rect,
                    const QFont &font) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(rect);
    b->setFont(font);
    b->setAutoDefault(false);  // Enter presses nothing: no key has a meaning of its own
    b->setDefault(false);
    return b;
}

void setTextColour(QWidget *widget, const QColor &colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::ButtonText, colour);
    widget->setPalette(p);
}

// The port number a box text names. The number goes through its 15-digit
// text form before it is rounded, so "3.4999999999999996" is port 4, as the
// text reads, not 3. No result when it is beyond the 16-bit range.
std::optional<int> portNumber(const std::string &boxText) {
    const LeadingNumber read = readLeadingNumber(boxText);
    if (read.overflow) return std::nullopt;
    char text[32];
    const auto written =
        std::to_chars(text, text + sizeof text, read.value, std::chars_format::general, 15);
    const auto port = toInt16(leadingNumber(std::string_view(text, written.ptr)));
    if (!port) return std::nullopt;
    return *port;
}

}  // namespace

struct PortDialog::Widgets {
    QPixmap background;
    QLabel *prompt = nullptr;
    QLabel *comLabel = nullptr;
    QComboBox *portBox = nullptr;
    QPushButton *exitButton = nullptr;
    QPushButton *okButton = nullptr;
};

PortDialog::PortDialog(int currentPort, Acceptor acceptor)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint),
      acceptor_(std::move(acceptor)),
      w_(new Widgets) {
    registerPanelFonts();  // the stand-ins must be in place before any font is matched
    setObjectName(QStringLiteral("CommPortForm"));
    setWindowTitle(QStringLiteral("Set Communication Port"));
    setFixedSize(twips(5820), twips(2310));
    QIcon icon(QStringLiteral(":/icons/port_dialog.png"));
    icon.addFile(QStringLiteral(":/icons/port_dialog16.png"));
    setWindowIcon(icon);
    setFont(panelFont(QStringLiteral("MS Sans Serif"), 8.25));
    w_->background.load(QStringLiteral(":/pictures/dialog_background.jpg"));

    const QFont arial10 = panelFont(QStringLiteral("Arial"), 9.75);
    const QFont arial20Bold = panelFont(QStringLiteral("Arial"), 20.25, true);

    w_->prompt = new QLabel(QStringLiteral("Please select a COM port :"), this);
    w_->prompt->setObjectName(QStringLiteral("CommLab"));
    w_->prompt->setGeometry(twipsRect(240, 60, 5295, 990));
    w_->prompt->setFont(arial10);
    w_->prompt->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    w_->prompt->setWordWrap(true);

    w_->comLabel = new QLabel(QStringLiteral("COM"), this);
    w_->comLabel->setObjectName(QStringLiteral("Label1"));
    w_->comLabel->setGeometry(twipsRect(1830, 875, 1050, 465));
    w_->comLabel->setFont(arial20Bold);
    w_->comLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColour(w_->comLabel, QColor(0, 0, 128));

    w_->portBox = new QComboBox(this);
    w_->portBox->setObjectName(QStringLiteral("COMCombo"));
    w_->portBox->setEditable(true);
    w_->portBox->setInsertPolicy(QComboBox::NoInsert);  // Enter must not grow the list
    w_->portBox->setGeometry(twipsRect(2865, 810, 1050, 600));
    w_->portBox->setFont(arial20Bold);
    setTextColour(w_->portBox, QColor(192, 0, 0));

    w_->exitButton =
        button(this, "ExitBut", QStringLiteral("&Exit"), twipsRect(180, 1725, 1645, 420), font());
    w_->okButton =
        button(this, "CommBut", QStringLiteral("&OK"), twipsRect(3960, 1740, 1650, 420), arial10);

    setTabOrder(w_->exitButton, w_->okButton);
    setTabOrder(w_->okButton, w_->portBox);
    w_->exitButton->setFocus();

    connect(w_->okButton, &QPushButton::clicked, this, &PortDialog::confirm);
    connect(w_->exitButton, &QPushButton::clicked, this, [this] {
        // Ends the program under either caption; the caller does the ending.
        outcome_ = Outcome::ExitProgram;
        done(QDialog::Rejected);
    });
    connect(w_->portBox, &QComboBox::editTextChanged, this, &PortDialog::updatePortTip);

    // The load step.
    for (int i = 1; i <= 20; ++i) w_->portBox->addItem(QString::number(i));
    const QString current = QString::fromStdString(wholeNumberText(currentPort));
    if (const int i = w_->portBox->findText(current); i >= 0) w_->portBox->setCurrentIndex(i);
    w_->portBox->setEditText(current);
    updatePortTip();
}

PortDialog::~PortDialog() {
    delete w_;
}

QLabel *PortDialog::promptLabel() const {
    return w_->prompt;
}
QComboBox *PortDialog::portBox() const {
    return w_->portBox;
}
QPushButton *PortDialog::exitButton() const {
    return w_->exitButton;
}
QPushButton *PortDialog::okButton() const {
    return w_->okButton;
}

PortDialog::Outcome PortDialog::showModal() {
    outcome_ = Outcome::Closed;  // the close box and Escape leave it so
    exec();
    return outcome_;
}

void PortDialog::confirm() {
    if (!acceptor_(portNumber(w_->portBox->currentText().toStdString()))) return;
    outcome_ = Outcome::Confirmed;
    done(QDialog::Accepted);
}

void PortDialog::updatePortTip() {
    const auto port = portNumber(w_->portBox->currentText().toStdString());
    const bool usable = port && *port >= kMinPort && *port <= kMaxPort;
    w_->portBox->setToolTip(usable ? QString::fromStdString(describePort(*port))
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
    painter.drawPixmap(0, 0, w_->background);
}

}  // namespace zz
