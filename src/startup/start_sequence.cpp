#include "startup/start_sequence.h"

#include "box/range.h"
#include "common/number_text.h"
#include "common/version.h"
#include "frontpanel/message_boxes.h"
#include "frontpanel/panel_logic.h"
#include "frontpanel/value_register.h"
#include "link/command_record.h"
#include "link/serial_control.h"
#include "program/stop_signals.h"
#include "program/stored_port.h"
#include "startup/port_choice.h"

namespace zz::startup {

namespace {

constexpr double kStartScreenSeconds = 2;

// Ends start-up early (the port dialog's exit button, a signal): nothing
// more happens, and the port is closed if it is open.
StartEnd endStartUp(StartUi &ui, link::SerialControl &serial, int status) {
    (void)serial.close();
    ui.dropPanel();
    return status;
}

}  // namespace

std::string invalidPortCaption(int port) {
    return "Invalid comm. port (" + common::wholeNumberText(port) + ") " + "set." + "\r\r" +
           "Please select a valid comm. port";
}

StartEnd runStartSequence(StartUi &ui, link::SerialControl &serial,
                          frontpanel::MessageBoxes &boxes) {
    ui.showStartScreen();
    ui.pause(kStartScreenSeconds);
    ui.closeStartScreen();
    if (ui.stopRequested()) return program::stopStatus();

    const program::StoredPort stored = program::readStoredPort();
    if (!stored.status.ok()) {
        boxes.exclamation(common::kName, "The settings file cannot be opened or created.\r\r" +
                                             stored.status.text());
        return kSettingsFailureStatus;
    }

    ui.createPanel();  // invisible until shown below
    const auto endedInDialog = [&](DialogEnd end) {
        return end == DialogEnd::ExitProgram || ui.stopRequested();
    };

    bool portUsable = true;
    if (stored.port == 0) {
        if (endedInDialog(choosePort(ui, serial, boxes)))
            return endStartUp(ui, serial, program::stopStatus());
    } else if (!serial.setPort(stored.port).ok()) {
        // A number the control refuses (negative, above 255) is asked for
        // again instead of ending the program.
        portUsable = false;
    }

    // After the dialog of the refused port, start-up goes on with the panel
    // whichever way the dialog was closed.
    if (!portUsable || !serial.open().ok()) {
        const int refused = portUsable ? serial.port() : stored.port;
        if (endedInDialog(choosePort(ui, serial, boxes, invalidPortCaption(refused))))
            return endStartUp(ui, serial, program::stopStatus());
    }

    // From here every failing step is skipped without a message.
    ui.showPanel();
    // The largest change per command counts from what the box was last set to.
    const auto record = link::readCommandRecord(serial.devicePath());
    const bool startAllowed =
        ui.panelLogic().startAllowed(record ? std::optional(record->command) : std::nullopt);
    if (startAllowed) ui.panelDigits().setDigitText(6, "1");
    ui.repaintPanel();  // a face handles pending events here: a signal may have come
    if (ui.stopRequested()) return endStartUp(ui, serial, program::stopStatus());
    if (startAllowed) ui.panelLogic().startSent(link::sendCommand(serial, box::kStartCommand));
    return std::nullopt;
}

}  // namespace zz::startup
