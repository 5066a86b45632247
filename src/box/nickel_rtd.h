#pragma once
// Nickel resistance thermometers of DIN 43760 (Ni1000): R0 = 1000 Ω and a
// polynomial in t up to t⁶, -60 to 180 °C.

namespace zz::box::nickel_rtd {

inline constexpr double kA = 5.485e-3;
inline constexpr double kB = 6.650e-6;
inline constexpr double kD = 2.805e-11;
inline constexpr double kF = -2.0e-17;
inline constexpr double kMinC = -60.0;
inline constexpr double kMaxC = 180.0;

// R(t) = R0·(1 + A·t + B·t² + D·t⁴ + F·t⁶); the caller keeps `celsius`
// within kMinC..kMaxC.
double resistance(double r0, double celsius);

}  // namespace zz::box::nickel_rtd
