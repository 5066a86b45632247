#include "startup/port_choice.h"

#include "common/leading_number.h"
#include "common/number_text.h"
#include "frontpanel/message_boxes.h"
#include "layout/port_dialog_layout.h"
#include "link/serial_control.h"
#include "program/stored_port.h"
#include "startup/port_listing.h"

#include <charconv>
#include <string_view>

namespace zz::startup {

std::vector<std::string> listedPorts() {
    std::vector<std::string> ports;
    for (int i = 1; i <= layout::port_dialog::kListedPorts; ++i)
        ports.push_back(common::wholeNumberText(i));
    return ports;
}

std::optional<int> portNumber(const std::string &boxText) {
    // Through its 15-digit text form before it is rounded, so that
    // "3.4999999999999996" is port 4, as the text reads, not 3.
    const common::LeadingNumber read = common::readLeadingNumber(boxText);
    if (read.overflow) return std::nullopt;
    char text[32];
    const auto written =
        std::to_chars(text, text + sizeof text, read.value, std::chars_format::general, 15);
    const auto port = common::toInt16(common::leadingNumber(std::string_view(text, written.ptr)));
    if (!port) return std::nullopt;
    return *port;
}

namespace {

// The confirm steps, up to the first failure.
Status confirmSteps(link::SerialControl &serial, std::optional<int> port) {
    if (!port) return Status::failure(common::kOverflowError, common::kOverflowText);
    if (Status s = serial.setPort(*port); !s) return s;
    // The port as set, so that "3.7" stores 4, the port in use.
    if (Status s = program::writeStoredPort(*port); !s) return s;
    if (Status s = serial.open(); !s) return s;
    return serial.close();
}

// The confirm action's one failure path.
bool reported(link::SerialControl &serial, const Status &status, frontpanel::MessageBoxes &boxes) {
    if (status) return true;
    boxes.exclamation(
        "Serial Communication Error",
        "Serial communication error :\r\r" + status.text() + "\r\rClick OK to continue.");
    (void)serial.close();
    return false;
}

}  // namespace

bool applyPort(link::SerialControl &serial, std::optional<int> port,
               frontpanel::MessageBoxes &boxes) {
    return reported(serial, confirmSteps(serial, port), boxes);
}

bool confirmChoice(link::SerialControl &serial, PortListing &ports, const std::string &boxText,
                   frontpanel::MessageBoxes &boxes) {
    Status status = mapOfferedDevice(ports, boxText);
    if (status) status = confirmSteps(serial, portNumber(boxText));
    return reported(serial, status, boxes);
}

DialogEnd choosePort(StartUi &ui, link::SerialControl &serial, frontpanel::MessageBoxes &boxes,
                     const std::string &prompt, const std::string &exitCaption) {
    const PortDialogText text{common::wholeNumberText(serial.port()), prompt, exitCaption};
    PortListing ports;
    return ui.askForPort(text, ports, [&](const std::string &boxText) {
        return confirmChoice(serial, ports, boxText, boxes);
    });
}

bool runComPortCommand(StartUi &ui, link::SerialControl &serial, frontpanel::MessageBoxes &boxes) {
    return choosePort(ui, serial, boxes, {}, "&Close") == DialogEnd::ExitProgram;
}

}  // namespace zz::startup
