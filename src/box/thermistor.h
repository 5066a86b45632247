#pragma once
// Thermistors with a negative temperature coefficient, in the two usual
// models: R25 and β, or the Steinhart–Hart coefficients.

#include <optional>

namespace zz::box::thermistor {

// R = R25 · exp(β · (1/T − 1/298.15 K)).
double betaResistance(double r25, double beta, double celsius);

// 1/T = A + B·ln R + C·(ln R)³, solved for R. Nothing when the coefficients
// give no real positive resistance at that temperature.
std::optional<double> steinhartResistance(double a, double b, double c, double celsius);

}  // namespace zz::box::thermistor
