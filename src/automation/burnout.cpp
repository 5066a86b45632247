#include "automation/burnout.h"

#include "box/range.h"

#include <algorithm>
#include <string>
#include <variant>

namespace zz::automation {

Outcome<Burnout> readBurnout(std::string_view text) {
    if (text == "low") return Burnout::Low;
    if (text == "high") return Burnout::High;
    return Outcome<Burnout>::failure("--burnout: \"" + std::string(text) +
                                     "\" is neither low nor high");
}

Outcome<Setpoint> burnoutSetpoint(const box::Sensor &sensor, Burnout side) {
    const auto *table = std::get_if<box::TableSensor>(&sensor);
    // A thermistor's resistance falls as it warms: its ends swap sides.
    const bool thermistor = std::holds_alternative<box::BetaThermistor>(sensor) ||
                            std::holds_alternative<box::SteinhartThermistor>(sensor) ||
                            (table && table->kind == box::TableKind::Ntc);
    double lowC = kThermistorLowC, highC = kThermistorHighC;
    if (const auto span = box::sensorSpan(sensor)) {  // a curve's, platinum's or table's own
        lowC = span->minC;
        highC = span->maxC;
    }
    const double endC = side == Burnout::Low ? lowC : highC;
    const auto end = box::sensorResistance(sensor, endC);
    if (!end) return Outcome<Setpoint>::failure(end.error());
    // Beyond the end on the side the reading leaves the range.
    const bool above = thermistor == (side == Burnout::Low);
    const double ohms = end.value() * (above ? 1.0 + kBurnoutMargin : 1.0 - kBurnoutMargin);
    return setpointForOhms(std::clamp(ohms, box::kMinOhms, box::kMaxOhms));
}

}  // namespace zz::automation
