// Any text through the readers of resistances, temperatures and durations,
// and through a list file: either a refusal with a reason, or values the box
// can be sent, with a command "ddddd.d" within half a step of the value.

#include "automation/duration_text.h"
#include "automation/point_list.h"
#include "automation/resistance_text.h"
#include "automation/setpoint.h"
#include "automation/temperature_text.h"
#include "box/temperature.h"
#include "fuzz_check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace box = zz::box;
using zz::Outcome;

namespace {

using namespace zz::automation;

void checkCommand(const Setpoint &point) {
    const std::string &c = point.command;
    FUZZ_CHECK(c.size() == 7 && c[5] == '.');
    long tenths = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (i == 5) continue;
        FUZZ_CHECK(c[i] >= '0' && c[i] <= '9');
        tenths = tenths * 10 + (c[i] - '0');
    }
    FUZZ_CHECK(std::fabs(point.ohms - tenths / 10.0) <= 0.05 + 1e-9);
}

template <typename T>
void checkRefusal(const Outcome<T> &read) {
    FUZZ_CHECK(read.ok() || !read.error().empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);

    const auto ohms = readResistance(text);
    checkRefusal(ohms);
    if (ohms) {
        FUZZ_CHECK(std::isfinite(ohms.value()) && ohms.value() >= 0);
        const auto point = setpointForOhms(ohms.value());
        checkRefusal(point);
        if (point) checkCommand(point.value());
    }

    const auto celsius = readTemperature(text);
    checkRefusal(celsius);
    if (celsius) {
        FUZZ_CHECK(std::isfinite(celsius.value()) && celsius.value() >= box::kAbsoluteZeroC - 1e-6);
        for (const box::Sensor &sensor : {zz::box::sensorNamed("pt100").value(),
                                          box::Sensor{box::BetaThermistor{10000, 3950}}}) {
            const auto point = setpointForTemperature(sensor, celsius.value());
            checkRefusal(point);
            if (point) checkCommand(point.value());
        }
    }

    const auto dwell = readDuration(text);
    checkRefusal(dwell);
    if (dwell)
        FUZZ_CHECK(dwell.value().count() >= 0 && dwell.value() <= std::chrono::hours(24 * 7));

    std::istringstream in(text);
    const auto list = readPointList(in, "fuzz", ValueReading{}, std::chrono::seconds(1));
    checkRefusal(list);
    if (list)
        for (const auto &point : list.value()) checkCommand(point.setpoint);
    return 0;
}
