#include "automation/rtd.h"

namespace zz::automation::rtd {

double resistance(double r0, double celsius) {
    const double t = celsius;
    double ratio = 1.0 + kA * t + kB * t * t;
    if (t < 0) ratio += kC * (t - 100.0) * t * t * t;
    return r0 * ratio;
}

}  // namespace zz::automation::rtd
