#pragma once
// The start sequence: the start screen for two seconds, the port from
// "Settings.txt" (asked for when none is stored), the port opened (the
// dialog again, naming it, when it cannot be), the panel shown at 10000.0
// and "10000" sent. The program then lives on window events. A start value
// the port's box profile does not allow is neither shown nor sent; the
// panel's caption says why.

#include "startup/start_ui.h"

#include <optional>
#include <string>

namespace zz::frontpanel {
class MessageBoxes;
}
namespace zz::link {
class SerialControl;
}

namespace zz::startup {

// The status a start-up ends with when the settings file is unusable.
inline constexpr int kSettingsFailureStatus = 1;

// Set: end the program with this status (the panel was dropped); unset:
// the panel is shown and the program goes on.
using StartEnd = std::optional<int>;

// A stop asked for (a signal) ends it with 128 + the signal's number.
StartEnd runStartSequence(StartUi &ui, link::SerialControl &serial,
                          frontpanel::MessageBoxes &boxes);

// The port dialog's prompt when the stored port cannot be used, naming it.
std::string invalidPortCaption(int port);

}  // namespace zz::startup
