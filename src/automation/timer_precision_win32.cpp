#include "automation/timed_run.h"
#include "automation/timer_precision.h"

#include <windows.h>

#include <timeapi.h>

#include <thread>

namespace zz::automation {

TimerPrecision::TimerPrecision() {
    timeBeginPeriod(1);
}

TimerPrecision::~TimerPrecision() {
    timeEndPeriod(1);
}

void sleepOnMonotonicClock(MonotonicTime until) {
    // The console's Ctrl+C handler runs on a thread of its own: the loop
    // around this sleep sees its request within one slice.
    std::this_thread::sleep_until(until);
}

}  // namespace zz::automation
