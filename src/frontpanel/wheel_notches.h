#pragma once
// Whole wheel notches from wheel deltas. A mouse wheel reports 120 per notch;
// high-resolution wheels and touchpads report small parts of that, which add
// up here until they make a notch. Turning back, or moving to another digit,
// starts afresh.

namespace zz::frontpanel {

class WheelNotches {
public:
    static constexpr int kNotch = 120;

    // Adds the delta of one wheel event over `target`; returns the whole
    // notches it completes (positive: away from the user).
    int add(int target, int delta) {
        if (delta == 0) return 0;
        if (target != target_ || (delta > 0) != (remainder_ > 0)) remainder_ = 0;
        target_ = target;
        remainder_ += delta;
        const int notches = remainder_ / kNotch;
        remainder_ -= notches * kNotch;
        return notches;
    }

private:
    int target_ = -1;
    int remainder_ = 0;
};

}  // namespace zz::frontpanel
