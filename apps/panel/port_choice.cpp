#include "port_choice.h"

#include "common/number_text.h"
#include "frontpanel/message_boxes.h"
#include "link/serial_control.h"
#include "settings_file.h"
#include "ui/qt_message_boxes.h"

#include <QLabel>
#include <QPushButton>

namespace zz::panel {

using namespace ui;  // the house style's vocabulary

bool applyPort(link::SerialControl &serial, std::optional<int> port,
               frontpanel::MessageBoxes &boxes) {
    const Status status = [&]() -> Status {
        if (!port) return Status::failure(common::kOverflowError, common::kOverflowText);
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

portdialog::PortDialog::Outcome choosePort(link::SerialControl &serial,
                                           frontpanel::MessageBoxes &boxes,
                                           const PortDialogText &text) {
    portdialog::PortDialog dialog(
        serial.port(), [&](std::optional<int> port) { return applyPort(serial, port, boxes); });
    if (!text.prompt.empty()) dialog.promptLabel()->setText(ui::boxText(text.prompt));
    if (!text.exitCaption.empty())
        dialog.exitButton()->setText(QString::fromStdString(text.exitCaption));
    return dialog.showModal();
}

}  // namespace zz::panel
