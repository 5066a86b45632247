#pragma once
// The server's log: one line per event on standard error, which a service
// manager keeps with its own time stamps.

#include <string_view>

namespace zz::scpiserver {

void logLine(std::string_view text);

}  // namespace zz::scpiserver
