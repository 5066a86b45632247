#pragma once
// The port dialog's steps without its window: the list and preset it opens
// with, what a box text names, and the confirm action (set the port, store
// it, test it), with its one failure message.

#include "startup/start_ui.h"

#include <optional>
#include <string>
#include <vector>

namespace zz::frontpanel {
class MessageBoxes;
}
namespace zz::link {
class SerialControl;
}

namespace zz::startup {

class PortListing;

// "1" to "20", in that order.
std::vector<std::string> listedPorts();

// The port number a box text names (the leading-number reading, rounded to
// a whole number, halves to even); nothing beyond the 16-bit range.
std::optional<int> portNumber(const std::string &boxText);

// The confirm steps: set the port on the control, store it in
// "Settings.txt", open and close it, in that order. The first failure shows
// "Serial Communication Error" and leaves the port closed: a refused number
// leaves the file as it was, a port that fails its test is already stored.
// True when every step succeeded.
bool applyPort(link::SerialControl &serial, std::optional<int> port,
               frontpanel::MessageBoxes &boxes);

// The dialog's confirm action on the box's text: a device offered under
// that number gets its map entry first (mapOfferedDevice), then the confirm
// steps run; a failure of either shows the one failure message.
bool confirmChoice(link::SerialControl &serial, PortListing &ports, const std::string &boxText,
                   frontpanel::MessageBoxes &boxes);

// Opens the port dialog preset to the control's port, with what the caller
// replaces, until a port is applied, the close box is used or its exit
// button asks to end the program.
DialogEnd choosePort(StartUi &ui, link::SerialControl &serial, frontpanel::MessageBoxes &boxes,
                     const std::string &prompt = {}, const std::string &exitCaption = {});

// The panel's "COM Port" command: the dialog with its exit button reading
// "&Close". True when the program is to end (that button, under either
// caption, ends it).
bool runComPortCommand(StartUi &ui, link::SerialControl &serial, frontpanel::MessageBoxes &boxes);

}  // namespace zz::startup
