#pragma once
// PortDialog: the small modal dialog that chooses the serial port, applies it
// to the serial control, stores it in "Settings.txt" and tests it.

#include "link/serial_control.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace zz {

class PortDialog : public QDialog {
    Q_OBJECT

public:
    // How the dialog ended: a port confirmed and tested, the close box, or the
    // exit button, which ends the program whatever its caption.
    enum class Outcome { Confirmed, Closed, ExitProgram };

    // The load step: the list "1".."20" and the box preset to CommPort.
    explicit PortDialog(SerialControl &serial);
    ~PortDialog() override;

    QLabel *promptLabel() const;
    QComboBox *portBox() const;
    QPushButton *exitButton() const;
    QPushButton *okButton() const;

    // Shows the dialog modally with no owner and waits until it closes.
    Outcome showModal();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void confirm();
    void updatePortTip();
    void paintEvent(QPaintEvent *event) override;

    SerialControl &serial_;
    struct Widgets;
    Widgets *w_;
    Outcome outcome_ = Outcome::Closed;
};

}  // namespace zz
