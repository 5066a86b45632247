#include "automation/sensor_text.h"

#include "common/decimal_text.h"

#include <string>

namespace zz::automation {

Outcome<box::Sensor> steinhartSensor(std::string_view coefficients) {
    double values[3];
    std::string_view rest = coefficients;
    for (int i = 0; i < 3; ++i) {
        const auto comma = rest.find(',');
        const auto value = common::readDecimal(rest.substr(0, comma));
        if (!value || (i < 2) == (comma == rest.npos))
            return Outcome<box::Sensor>::failure("cannot read \"" + std::string(coefficients) +
                                                 "\" as the Steinhart-Hart coefficients A,B,C");
        values[i] = *value;
        rest = comma == rest.npos ? std::string_view{} : rest.substr(comma + 1);
    }
    return box::Sensor{box::SteinhartThermistor{values[0], values[1], values[2]}};
}

}  // namespace zz::automation
