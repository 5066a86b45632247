#pragma once
// For as long as a timetable runs, asks the operating system to wake sleepers
// on time: Linux batches wake-ups by up to the timer slack (50 µs by default),
// Windows wakes them on its timer tick (about 15.6 ms) unless a program asks
// for 1 ms. One implementation per platform.

namespace zz::automation {

class TimerPrecision {
public:
    TimerPrecision();
    ~TimerPrecision();
    TimerPrecision(const TimerPrecision &) = delete;
    TimerPrecision &operator=(const TimerPrecision &) = delete;
};

}  // namespace zz::automation
