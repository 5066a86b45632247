#pragma once
// The port dialog: the small modal dialog in which the operator chooses the
// serial port. It only chooses: the port confirmed with OK goes to the
// acceptor its caller gives, which applies it; the dialog closes when the
// acceptor takes the port and stays open for another choice otherwise.

#include "startup/start_ui.h"

#include <QDialog>
#include <QPixmap>

#include <string>

class QComboBox;
class QLabel;
class QPushButton;

namespace zz::portdialog {

class PortDialog : public QDialog {
    Q_OBJECT

public:
    // How the dialog ended: a port confirmed and tested, the close box, or the
    // exit button, which ends the program whatever its caption.
    using Outcome = startup::DialogEnd;

    // Gets the box's text; true when the port was taken.
    using Acceptor = startup::ConfirmPort;

    // The list "1".."20" and the box preset to the current port's text.
    PortDialog(const std::string &preset, Acceptor acceptor);

    QLabel *promptLabel() const { return prompt_; }
    QComboBox *portBox() const { return portBox_; }
    QPushButton *exitButton() const { return exitButton_; }
    QPushButton *okButton() const { return okButton_; }

    // Shows the dialog modally with no owner and waits until it closes.
    Outcome showModal();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void confirm();
    void updatePortTip();
    void paintEvent(QPaintEvent *event) override;

    Acceptor acceptor_;
    QPixmap background_;
    QLabel *prompt_ = nullptr;
    QComboBox *portBox_ = nullptr;
    QPushButton *exitButton_ = nullptr;
    QPushButton *okButton_ = nullptr;
    Outcome outcome_ = Outcome::Closed;
};

}  // namespace zz::portdialog
