#include "automation/realtime.h"

#include <windows.h>

#include <cstddef>

namespace zz::automation {

namespace {

constexpr std::size_t kStackReserve = 128 * 1024;

[[gnu::noinline]] void touchStack() {
    // From the top down, page by page, as the stack's guard page expects.
    volatile unsigned char stack[kStackReserve];
    for (std::size_t i = sizeof stack; i > 0; i -= 4096) stack[i - 1] = 0;
}

}  // namespace

std::string enterRealtime() {
    touchStack();
    // The highest priority of the normal classes, which every user may set:
    // the timer is already at 1 ms while the timetable runs.
    if (SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL)) return {};
    return "no time-critical thread priority (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace zz::automation
