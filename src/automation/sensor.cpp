#include "automation/sensor.h"

#include "automation/decimal_text.h"
#include "automation/ntc.h"
#include "automation/rtd.h"
#include "automation/temperature_text.h"

#include <cctype>
#include <cmath>

namespace zz::automation {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char &c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

Outcome<Sensor> platinumSensorNamed(std::string_view type) {
    const std::string name = lowered(trimBlanks(type));
    if (name == "pt100") return Sensor{PlatinumSensor{100.0}};
    if (name == "pt500") return Sensor{PlatinumSensor{500.0}};
    if (name == "pt1000") return Sensor{PlatinumSensor{1000.0}};
    return Outcome<Sensor>::failure("unknown sensor type \"" + std::string(type) +
                                    "\": use pt100, pt500 or pt1000");
}

Outcome<Sensor> steinhartSensor(std::string_view coefficients) {
    double values[3];
    std::string_view rest = coefficients;
    for (int i = 0; i < 3; ++i) {
        const auto comma = rest.find(',');
        const auto value = readDecimal(rest.substr(0, comma));
        if (!value || (i < 2) == (comma == rest.npos))
            return Outcome<Sensor>::failure("cannot read \"" + std::string(coefficients) +
                                            "\" as the Steinhart-Hart coefficients A,B,C");
        values[i] = *value;
        rest = comma == rest.npos ? std::string_view{} : rest.substr(comma + 1);
    }
    return Sensor{SteinhartThermistor{values[0], values[1], values[2]}};
}

std::string sensorName(const Sensor &sensor) {
    return std::visit(
        Overloaded{
            [](const PlatinumSensor &s) { return "Pt" + decimalText(s.r0); },
            [](const BetaThermistor &s) {
                return "NTC R25 " + decimalText(s.r25) + " \u03A9 \u03B2 " + decimalText(s.beta);
            },
            [](const SteinhartThermistor &) { return std::string("NTC Steinhart-Hart"); },
        },
        sensor);
}

Outcome<double> sensorResistance(const Sensor &sensor, double celsius) {
    const std::string at = sensorName(sensor) + " at " + decimalText(celsius) + " \u00B0C";
    if (const auto *pt = std::get_if<PlatinumSensor>(&sensor)) {
        if (celsius < rtd::kMinC || celsius > rtd::kMaxC)
            return Outcome<double>::failure(at +
                                            ": outside the sensor's range -200 to 850 \u00B0C");
        return rtd::resistance(pt->r0, celsius);
    }
    if (!(celsius > kAbsoluteZeroC))
        return Outcome<double>::failure(at + ": not above absolute zero");
    std::optional<double> ohms;
    if (const auto *beta = std::get_if<BetaThermistor>(&sensor))
        ohms = ntc::betaResistance(beta->r25, beta->beta, celsius);
    else if (const auto *sh = std::get_if<SteinhartThermistor>(&sensor))
        ohms = ntc::steinhartResistance(sh->a, sh->b, sh->c, celsius);
    if (!ohms || !std::isfinite(*ohms) || *ohms < 0)
        return Outcome<double>::failure(at + ": the model gives no resistance");
    return *ohms;
}

}  // namespace zz::automation
