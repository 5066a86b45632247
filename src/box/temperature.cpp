#include "box/temperature.h"

namespace zz::box {

double toCelsius(double value, TemperatureUnit unit) {
    switch (unit) {
        case TemperatureUnit::Fahrenheit:
            return (value - 32.0) * 5.0 / 9.0;
        case TemperatureUnit::Kelvin:
            return value + kAbsoluteZeroC;
        case TemperatureUnit::Celsius:
            break;
    }
    return value;
}

double fromCelsius(double celsius, TemperatureUnit unit) {
    switch (unit) {
        case TemperatureUnit::Fahrenheit:
            return celsius * 9.0 / 5.0 + 32.0;
        case TemperatureUnit::Kelvin:
            return celsius - kAbsoluteZeroC;
        case TemperatureUnit::Celsius:
            break;
    }
    return celsius;
}

double toKelvinStep(double step, TemperatureUnit unit) {
    return unit == TemperatureUnit::Fahrenheit ? step * 5.0 / 9.0 : step;
}

}  // namespace zz::box
