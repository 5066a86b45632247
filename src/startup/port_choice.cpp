#include "startup/port_choice.h"

#include "common/message_boxes.h"
#include "common/number_text.h"
#include "link/serial_control.h"
#include "startup/settings/settings_file.h"
#include "ui/qt_message_boxes.h"

#include <QLabel>
#include <QPushButton>

namespace zz {

bool applyPort(SerialControl &serial, std::optional<int> port, MessageBoxes &boxes) {
    const Status status = [&]() -> Status {
        if (!port) return Status::failure(kOverflowError, kOverflowText);
        if (Status s = serial.setPort(*port); !s) return s;
        // The port as set, so that "3.7" stores 4, the port in use.
        if (Status s = writeStoredPort(*port); !s) return s;
        if (Status s = serial.open(); !s) return s;
        return serial.close();
    }();
    if (status) return true;
    boxes.exclamation(
        "Serial Communication Error",
        "Serial communication error :\r\r" + status.text() + "\r\rClick OK to continue.");
    (void)serial.close();
    return false;
}

PortDialog::Outcome choosePort(SerialControl &serial, MessageBoxes &boxes,
                               const PortDialogText &text) {
    PortDialog dialog(serial.port(),
                      [&](std::optional<int> port) { return applyPort(serial, port, boxes); });
    if (!text.prompt.empty()) dialog.promptLabel()->setText(boxText(text.prompt));
    if (!text.exitCaption.empty())
        dialog.exitButton()->setText(QString::fromStdString(text.exitCaption));
    return dialog.showModal();
}

}  // namespace zz
