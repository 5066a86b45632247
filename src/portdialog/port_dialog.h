#pragma once
// The port dialog: the small modal dialog in which the operator chooses the
// serial port. It only chooses: the port confirmed with OK goes to the
// acceptor its caller gives, which applies it; the dialog closes when the
// acceptor takes the port and stays open for another choice otherwise.

#include "startup/start_ui.h"

#include <QDialog>
#include <QPixmap>

#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;

namespace zz::startup {
class PortListing;
}

namespace zz::portdialog {

class PortBox;

class PortDialog : public QDialog {
    Q_OBJECT

public:
    // How the dialog ended: a port confirmed and tested, the close box, or the
    // exit button, which ends the program whatever its caption.
    using Outcome = startup::DialogEnd;

    // Gets the box's text; true when the port was taken.
    using Acceptor = startup::ConfirmPort;

    // The list "1".."20", beside each number what `ports` says it leads to,
    // and the box preset to the current port's text. `ports` outlives the
    // dialog; without it the dialog reads this machine's ports itself.
    PortDialog(const std::string &preset, startup::PortListing &ports, Acceptor acceptor);
    PortDialog(const std::string &preset, Acceptor acceptor);
    ~PortDialog() override;

    QLabel *promptLabel() const { return prompt_; }
    QComboBox *portBox() const;
    QPushButton *exitButton() const { return exitButton_; }
    QPushButton *okButton() const { return okButton_; }

    // Shows the dialog modally with no owner and waits until it closes.
    Outcome showModal();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void build(const std::string &preset, startup::PortListing &ports);
    void confirm();
    void paintEvent(QPaintEvent *event) override;

    std::unique_ptr<startup::PortListing> ownPorts_;
    Acceptor acceptor_;
    QPixmap background_;
    QLabel *prompt_ = nullptr;
    PortBox *portBox_ = nullptr;
    QPushButton *exitButton_ = nullptr;
    QPushButton *okButton_ = nullptr;
    Outcome outcome_ = Outcome::Closed;
};

}  // namespace zz::portdialog
