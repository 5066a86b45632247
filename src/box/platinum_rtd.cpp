#include "box/platinum_rtd.h"

namespace zz::box::platinum_rtd {

double resistance(double r0, double celsius) {
    return resistance(r0, Coefficients{}, celsius);
}

double resistance(double r0, const Coefficients &k, double celsius) {
    const double t = celsius;
    double ratio = 1.0 + k.a * t + k.b * t * t;
    if (t < 0) ratio += k.c * (t - 100.0) * t * t * t;
    return r0 * ratio;
}

Coefficients fromAlphaDeltaBeta(double alpha, double delta, double beta) {
    return {alpha * (1.0 + delta / 100.0), -alpha * delta / 1e4, -alpha * beta / 1e8};
}

}  // namespace zz::box::platinum_rtd
