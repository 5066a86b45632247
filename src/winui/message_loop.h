#pragma once
// The one user-interface thread's message loops: the panel's own, the modal
// ones of the dialogs, and the start screen's pause. Keys go first to the
// top-level window's keyboard filter (Tab in the designed order, F5), then
// to IsDialogMessage (access keys, Space on buttons). A stop asked for from
// another thread (Ctrl+C, the session ending) arrives as a thread message
// and ends whichever loop runs.

#include "layout/element.h"

#include <windows.h>

#include <functional>
#include <span>
#include <vector>

namespace zz::winui {

class KeyboardFilter {
public:
    virtual ~KeyboardFilter() = default;
    // True when the message was handled and goes no further.
    virtual bool filterKey(const MSG &message) = 0;
};
void setKeyboardFilter(HWND topLevel, KeyboardFilter *filter);

// Called once on the user-interface thread; afterwards requestStop may be
// called from any thread.
void initialiseMessageLoops();
void requestStop();
// A stop has been asked for.
bool stopAsked();

// Tab and Shift+Tab move the focus through `order` (the table's tab order,
// focusable windows only). True when the message was such a key.
bool moveFocusByTab(const MSG &message, const std::vector<HWND> &order);
// A table's focusable rows in their tab order, as windows.
std::vector<HWND> tabOrderWindows(std::span<const layout::Element> table,
                                  const std::function<HWND(const layout::Element &)> &windowOf);

// Until `done` or a stop; WM_QUIT is posted again for the outer loop. The
// other windows of the thread take no input meanwhile.
void runModal(HWND window, const bool &done);

// The panel's loop until WM_QUIT (its exit code) or a stop; `changed`, when
// given, is a change notification whose signal runs `onChange`.
int runMainLoop(HANDLE changed, const std::function<void()> &onChange);

// Waits strictly longer than `seconds` on the steady clock, painting but
// taking no input; returns early on a stop.
void pauseFor(double seconds);

}  // namespace zz::winui
