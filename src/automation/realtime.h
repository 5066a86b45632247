#pragma once
// What a timetable may ask of the operating system for the thread that runs
// it (6175ZIZ-ctl --realtime): real-time scheduling at a modest priority,
// memory that is never paged out, and a stack already in place, so that no
// point waits behind other programs or page faults. One implementation per
// platform.

#include <chrono>
#include <string>

namespace zz::automation {

// Asks for all of it for the calling thread. Empty when everything was
// granted; otherwise one line saying what was not, and the caller goes on
// without it.
std::string enterRealtime();

// With real-time scheduling a sleeper wakes within tens of microseconds: the
// last stretch before each deadline is watched on the clock instead
// (RunHooks::watchBeforeDue), short enough to cost next to nothing.
inline constexpr std::chrono::microseconds kRealtimeWatchBeforeDue{100};

}  // namespace zz::automation
