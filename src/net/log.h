#pragma once
// The servers' log: one line per event. The program decides where lines go
// and what stands in front of them (its name, on standard error, which a
// service manager keeps with its own time stamps); the library only says
// what happened.

#include <functional>
#include <string_view>

namespace zz::net {

using LogSink = std::function<void(std::string_view line)>;

// Set once, before the first thread logs. Without it: standard error, bare.
void setLogSink(LogSink sink);
void logLine(std::string_view text);

}  // namespace zz::net
