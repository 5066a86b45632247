#pragma once
// Platinum resistance thermometers of IEC 60751: the Callendar–Van Dusen
// equation with the standard's coefficients, -200 to 850 °C.

namespace zz::box::platinum_rtd {

inline constexpr double kA = 3.9083e-3;
inline constexpr double kB = -5.775e-7;
inline constexpr double kC = -4.183e-12;  // below 0 °C only
inline constexpr double kMinC = -200.0;
inline constexpr double kMaxC = 850.0;

// A sensor's own coefficients, as its calibration gives them.
struct Coefficients {
    double a = kA, b = kB, c = kC;
};

// A, B and C from the older form: α, δ and β (β only below 0 °C).
Coefficients fromAlphaDeltaBeta(double alpha, double delta, double beta);

// The resistance at `celsius` of a sensor of `r0` ohms at 0 °C; the caller
// keeps `celsius` within kMinC..kMaxC.
double resistance(double r0, double celsius);
double resistance(double r0, const Coefficients &k, double celsius);

}  // namespace zz::box::platinum_rtd
