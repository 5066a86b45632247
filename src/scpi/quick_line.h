#pragma once
// Lines that never reach the box: queries without parameters that the
// command table marks as answered without it (*IDN?, the status queries, the
// SYSTem subsystem's), which touch only the client's own session and
// constants. A server may answer such a line at once, beside the serial
// line's work, so that a command stalled there (up to 250 ms) does not hold
// up, say, another client's *IDN?. Anything else waits its turn for the line.

#include <string_view>

namespace zz::scpi {

bool answeredWithoutTheBox(std::string_view line);

}  // namespace zz::scpi
