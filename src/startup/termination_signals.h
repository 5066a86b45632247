#pragma once
// SIGTERM, SIGINT and SIGHUP end the program through its event loop rather
// than in the middle of a command: the handler only records the signal, the
// command in progress finishes or fails within its bound, then every event
// loop ends and the start-up closes the port before the process exits.

namespace zz {

// Installs the handlers (once). The application object must exist.
void watchTerminationSignals();

// The signal that asked the program to end, or 0.
int terminationSignal();

// The exit status after such an end: 128 + the signal's number, as a shell
// reports a program that a signal ended.
int terminationStatus();

}  // namespace zz
