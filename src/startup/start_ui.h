#pragma once
// What the start sequence and the port dialog's steps need of the windows,
// whatever draws them (Qt on Linux, Win32 on Windows). The rules live in
// startup/; a face only shows, waits and reports what the operator did.

#include <functional>
#include <string>

namespace zz::frontpanel {
class PanelLogic;
class ValueRegister;
}  // namespace zz::frontpanel

namespace zz::startup {

class PortListing;

// How the port dialog ended: a port confirmed (applied and tested), the
// close box, or the exit button, which ends the program whatever its caption.
enum class DialogEnd { Confirmed, Closed, ExitProgram };

// What the port dialog shows when it opens.
struct PortDialogText {
    std::string preset;       // the box's text: the control's port
    std::string prompt;       // empty: "Please select a COM port :" as designed
    std::string exitCaption;  // empty: "&Exit" as designed
};

// The dialog's confirm step, given the box's text as the operator left it:
// true when the port was applied and the dialog is to close.
using ConfirmPort = std::function<bool(const std::string &boxText)>;

class StartUi {
public:
    virtual ~StartUi() = default;

    // The start screen without its OK button, on screen and fully painted
    // before this returns.
    virtual void showStartScreen() = 0;
    // Waits strictly longer than `seconds` on a monotonic clock, taking no
    // operator input but keeping the windows painted; returns early when a
    // stop was asked for.
    virtual void pause(double seconds) = 0;
    virtual void closeStartScreen() = 0;

    // The port dialog, created afresh with the list "1".."20" and beside
    // each number what `ports` says it leads to, shown modally until it
    // ends. The face reads `ports` again as the drop-down opens and when a
    // device comes or goes, and shows it again after every reading.
    virtual DialogEnd askForPort(const PortDialogText &text, PortListing &ports,
                                 const ConfirmPort &confirm) = 0;

    // The panel window, created invisible (its creation steps run), then
    // shown and painted; or dropped when start-up ends before it is shown.
    virtual void createPanel() = 0;
    virtual void showPanel() = 0;
    virtual void dropPanel() = 0;
    // The panel's digits, and an immediate repaint of them.
    virtual frontpanel::ValueRegister &panelDigits() = 0;
    virtual void repaintPanel() = 0;
    // The panel's rules for the port chosen now: its box's profile read
    // (again) for that port first.
    virtual frontpanel::PanelLogic &panelLogic() = 0;

    // A termination signal (or Ctrl+C, or the console closing) has come.
    virtual bool stopRequested() = 0;
};

}  // namespace zz::startup
