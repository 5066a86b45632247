#pragma once
// Ctrl+C (SIGINT), SIGTERM and SIGHUP stop a run between commands, never in
// the middle of one: the handler only records the signal. It is installed
// without SA_RESTART so that a wait between points wakes at once; the link
// carries on through interrupted calls, so a command in progress finishes.
// On Windows the console's Ctrl+C, Ctrl+Break and close events stand in for
// SIGINT and SIGTERM.

namespace zz::ctl {

void watchStopSignals();

// The signal that asked the run to stop, or 0.
int stopSignal();

}  // namespace zz::ctl
