#include "box/thermistor.h"

#include "box/temperature.h"

#include <cmath>

namespace zz::box::thermistor {

namespace {

double kelvin(double celsius) {
    return celsius - kAbsoluteZeroC;
}

}  // namespace

double betaResistance(double r25, double beta, double celsius) {
    return r25 * std::exp(beta * (1.0 / kelvin(celsius) - 1.0 / kelvin(25.0)));
}

std::optional<double> steinhartResistance(double a, double b, double c, double celsius) {
    const double inverseT = 1.0 / kelvin(celsius);
    double lnR = 0.0;
    if (c == 0.0) {
        if (b == 0.0) return std::nullopt;
        lnR = (inverseT - a) / b;
    } else {
        // C·x³ + B·x + (A − 1/T) = 0 by Cardano's formula; with B/C > 0 (every
        // real thermistor) it has exactly one real root.
        const double y = (a - inverseT) / c;
        const double p = b / (3.0 * c);
        const double root = std::sqrt(p * p * p + y * y / 4.0);
        if (!std::isfinite(root)) return std::nullopt;
        lnR = std::cbrt(root - y / 2.0) - std::cbrt(root + y / 2.0);
    }
    const double r = std::exp(lnR);
    if (!std::isfinite(r) || !(r > 0)) return std::nullopt;
    return r;
}

}  // namespace zz::box::thermistor
