#include "automation/timed_run.h"
#include "automation/timer_precision.h"

#include <sys/prctl.h>
#include <time.h>

namespace zz::automation {

TimerPrecision::TimerPrecision() {
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

TimerPrecision::~TimerPrecision() {
    ::prctl(PR_SET_TIMERSLACK, 0UL, 0UL, 0UL, 0UL);  // 0: back to the default
}

void sleepOnMonotonicClock(MonotonicTime until) {
    using namespace std::chrono;
    const auto ns = duration_cast<nanoseconds>(until.time_since_epoch()).count();
    const timespec at{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
    // A signal ends the sleep early (EINTR); the caller's loop then looks again.
    ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
}

}  // namespace zz::automation
