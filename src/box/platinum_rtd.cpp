#include "box/platinum_rtd.h"

namespace zz::box::platinum_rtd {

double resistance(double r0, double celsius) {
    const double t = celsius;
    double ratio = 1.0 + kA * t + kB * t * t;
    if (t < 0) ratio += kC * (t - 100.0) * t * t * t;
    return r0 * ratio;
}

}  // namespace zz::box::platinum_rtd
