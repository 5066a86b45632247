#pragma once
// Temperature scales: sensors work in degrees Celsius; people and programs
// also give Fahrenheit and kelvin.

namespace zz::box {

inline constexpr double kAbsoluteZeroC = -273.15;

enum class TemperatureUnit { Celsius, Fahrenheit, Kelvin };

double toCelsius(double value, TemperatureUnit unit);
double fromCelsius(double celsius, TemperatureUnit unit);
// A difference of temperatures (a sweep's step) in kelvin.
double toKelvinStep(double step, TemperatureUnit unit);

}  // namespace zz::box
