#include "comm_port_form.h"

#include "fonts.h"
#include "leading_number.h"
#include "number_text.h"
#include "port_map.h"
#include "qt_message_boxes.h"
#include "settings_file.h"
#include "twips.h"

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

namespace zz {

namespace {

constexpr int kOverflow = 6;

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

struct CommPortForm::Widgets {
    QPixmap background;
    QLabel *commLab = nullptr;
    QLabel *label1 = nullptr;
    QComboBox *comCombo = nullptr;
    QPushButton *exitBut = nullptr;
    QPushButton *commBut = nullptr;
};

CommPortForm::CommPortForm(SerialControl &serCom)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint),
      serCom_(serCom),
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

    w_->commLab = new QLabel(QStringLiteral("Please select a COM port :"), this);
    w_->commLab->setObjectName(QStringLiteral("CommLab"));
    w_->commLab->setGeometry(twipsRect(240, 60, 5295, 990));
    w_->commLab->setFont(arial10);
    w_->commLab->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    w_->commLab->setWordWrap(true);

    w_->label1 = new QLabel(QStringLiteral("COM"), this);
    w_->label1->setObjectName(QStringLiteral("Label1"));
    w_->label1->setGeometry(twipsRect(1830, 875, 1050, 465));
    w_->label1->setFont(arial20Bold);
    w_->label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColour(w_->label1, QColor(0, 0, 128));

    w_->comCombo = new QComboBox(this);
    w_->comCombo->setObjectName(QStringLiteral("COMCombo"));
    w_->comCombo->setEditable(true);
    w_->comCombo->setInsertPolicy(QComboBox::NoInsert);  // Enter must not grow the list
    w_->comCombo->setGeometry(twipsRect(2865, 810, 1050, 600));
    w_->comCombo->setFont(arial20Bold);
    setTextColour(w_->comCombo, QColor(192, 0, 0));

    w_->exitBut =
        button(this, "ExitBut", QStringLiteral("&Exit"), twipsRect(180, 1725, 1645, 420), font());
    w_->commBut =
        button(this, "CommBut", QStringLiteral("&OK"), twipsRect(3960, 1740, 1650, 420), arial10);

    setTabOrder(w_->exitBut, w_->commBut);
    setTabOrder(w_->commBut, w_->comCombo);
    w_->exitBut->setFocus();

    connect(w_->commBut, &QPushButton::clicked, this, &CommPortForm::confirm);
    connect(w_->exitBut, &QPushButton::clicked, this, [this] {
        // Ends the program under either caption; the caller does the ending.
        if (serCom_.portOpen()) (void)serCom_.setPortOpen(false);
        outcome_ = Outcome::ExitProgram;
        done(QDialog::Rejected);
    });
    connect(w_->comCombo, &QComboBox::editTextChanged, this, &CommPortForm::updatePortTip);

    // The load step.
    for (int i = 1; i <= 20; ++i) w_->comCombo->addItem(QString::number(i));
    const QString current = QString::fromStdString(wholeNumberText(serCom_.commPort()));
    if (const int i = w_->comCombo->findText(current); i >= 0) w_->comCombo->setCurrentIndex(i);
    w_->comCombo->setEditText(current);
    updatePortTip();
}

CommPortForm::~CommPortForm() {
    delete w_;
}

QLabel *CommPortForm::CommLab() const {
    return w_->commLab;
}
QComboBox *CommPortForm::COMCombo() const {
    return w_->comCombo;
}
QPushButton *CommPortForm::ExitBut() const {
    return w_->exitBut;
}
QPushButton *CommPortForm::CommBut() const {
    return w_->commBut;
}

CommPortForm::Outcome CommPortForm::showModal() {
    outcome_ = Outcome::Closed;  // the close box and Escape leave it so
    exec();
    return outcome_;
}

void CommPortForm::confirm() {
    const Status status = [this]() -> Status {
        const auto port = portNumber(w_->comCombo->currentText().toStdString());
        if (!port) return Status::failure(kOverflow, "Overflow");
        if (Status s = serCom_.setCommPort(*port); !s) return s;
        // The port as set, so that "3.7" stores 4, the port in use.
        if (Status s = writeStoredPort(*port); !s) return s;
        if (Status s = serCom_.setPortOpen(true); !s) return s;
        return serCom_.setPortOpen(false);
    }();

    if (status) {
        outcome_ = Outcome::Confirmed;
        done(QDialog::Accepted);
        return;
    }
    messageBoxes().exclamation(
        "Serial Communication Error",
        "Serial communication error :\r\r" + status.text() + "\r\rClick OK to continue.");
    if (serCom_.portOpen()) (void)serCom_.setPortOpen(false);
}

void CommPortForm::updatePortTip() {
    const auto port = portNumber(w_->comCombo->currentText().toStdString());
    const bool usable = port && *port >= kMinPort && *port <= kMaxPort;
    w_->comCombo->setToolTip(usable ? QString::fromStdString(describePort(*port))
                                    : QStringLiteral("not a port number"));
}

void CommPortForm::keyPressEvent(QKeyEvent *event) {
    // No key has a meaning of its own here: Escape does not close the dialog
    // (only the close box does), and Enter presses no button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CommPortForm::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(0, 0, w_->background);
}

}  // namespace zz
