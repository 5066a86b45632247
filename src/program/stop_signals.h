#pragma once
// Ctrl+C (SIGINT), SIGTERM and SIGHUP ask a program to stop, for every
// program of ours alike; on Windows the console's Ctrl+C and Ctrl+Break stand
// for SIGINT, closing the console or ending the session for SIGTERM. The
// handler only records the signal: a command in progress finishes (or fails
// within its bound) and the program stops at its next safe point.
//
// The handlers are installed without SA_RESTART, so that a wait between
// points wakes at once; the link carries on through interrupted calls.

#include <functional>

namespace zz::program {

// Installs the handlers (once). `onStop`, when given, runs once, on a thread
// of its own, after the first such signal: it may set a flag or post to an
// event loop, nothing that needs the main thread.
void watchStopSignals(std::function<void()> onStop = {});

// The signal that asked the program to stop, or 0.
int stopSignal();

// The exit status after such a stop: 128 + the signal's number, as a shell
// reports a program that a signal ended; 0 when none arrived.
int stopStatus();

}  // namespace zz::program
