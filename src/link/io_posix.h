#pragma once
// The termios steps of the POSIX backend: line settings, writing and draining
// within a deadline on a non-blocking descriptor.

#include <termios.h>

#include <chrono>
#include <string_view>

namespace zz::link::posix_io {

using Deadline = std::chrono::steady_clock::time_point;

struct Outcome {
    enum Kind { Done, TimedOut, Failed } kind = Done;
    int error = 0;  // errno when Failed
};

// 9600 baud both ways, 8 data bits, no parity, 1 stop bit, no RTS/CTS or
// XON/XOFF, raw in and out. `current` is what tcgetattr just read. Sets errno
// and returns false when the driver refuses. Settings already in place are
// not set again.
bool applyLineSettings(int fd, const termios &current);

// Writes every byte, waiting for room in the output buffer until the deadline.
Outcome writeAll(int fd, std::string_view bytes, Deadline deadline);

// Waits until the output queue is empty (or the deadline), then lets the
// driver finish the last character.
Outcome drain(int fd, Deadline deadline);

}  // namespace zz::link::posix_io
