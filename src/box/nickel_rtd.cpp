#include "box/nickel_rtd.h"

namespace zz::box::nickel_rtd {

double resistance(double r0, double celsius) {
    const double t = celsius, t2 = t * t, t4 = t2 * t2;
    return r0 * (1.0 + kA * t + kB * t2 + kD * t4 + kF * t4 * t2);
}

}  // namespace zz::box::nickel_rtd
