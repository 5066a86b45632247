#pragma once
// The start sequence. Shows the start screen for two seconds, reads
// the port from "Settings.txt", opens it (or asks for one), shows the panel at
// 10000.0 and sends "10000"; the program then lives on window events.

#include <optional>
#include <string>

namespace zz::frontpanel {
class MessageBoxes;
}
namespace zz::link {
class SerialControl;
}

namespace zz::panel {

class PanelWindow;

struct StartResult {
    std::optional<int> exitNow;    // set: end the program with this status
    PanelWindow *panel = nullptr;  // the panel, shown, when start-up went on
};

// The whole program: application object, start sequence, event loop.
int startProgram(int argc, char **argv);

// The start sequence proper (the application object must exist). The
// control and the boxes outlive the panel it makes.
StartResult runStartSequence(link::SerialControl &serial, frontpanel::MessageBoxes &boxes);

// The port dialog's prompt when the stored port cannot be used, naming it.
std::string invalidPortCaption(int port);

// Waits strictly longer than the given seconds by a monotonic clock, handling
// no operator input, without spinning a processor core.
void pauseFor(double seconds);

}  // namespace zz::panel
