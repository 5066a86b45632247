#pragma once
// Lines that never reach the box: *IDN?, the status queries and the SYSTem
// subsystem's queries touch only the client's own session and constants. A
// client's such line is answered on the network's thread at once, so that a
// command stalled on the serial line (up to 250 ms) does not hold up, say,
// another client's *IDN?. Anything else goes through the link's queue.

#include <string_view>

namespace zz::scpiserver {

bool answeredWithoutTheBox(std::string_view line);

}  // namespace zz::scpiserver
