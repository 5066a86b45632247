// Any file contents as a sensor's table, read both as an NTC thermistor's
// and as a resistance thermometer's: refused with the file and a line, or
// rows that make a sensor whose resistance across its span stays finite,
// positive and within its rows' resistances.

#include "box/sensor.h"
#include "fuzz_check.h"
#include "profile/sensor_table_csv.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace box = zz::box;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    for (const box::TableKind kind : {box::TableKind::Ntc, box::TableKind::Rtd}) {
        const auto rows = zz::profile::readSensorTable(text, "t.csv", kind);
        if (!rows) {
            const std::string &error = rows.error();
            FUZZ_CHECK(error.rfind("t.csv:", 0) == 0 && error.size() > 6 && error[6] >= '1' &&
                       error[6] <= '9');
            continue;
        }
        FUZZ_CHECK(!box::tableFault(kind, rows.value()));
        const box::Sensor sensor = box::TableSensor{"t", kind, rows.value()};
        const auto span = box::sensorSpan(sensor);
        FUZZ_CHECK(span && span->minC < span->maxC);
        double lowest = INFINITY, highest = 0;
        for (const box::TableRow &row : rows.value()) {
            lowest = std::min(lowest, row.ohms);
            highest = std::max(highest, row.ohms);
        }
        for (int i = 0; i <= 64; ++i) {
            const double celsius = span->minC + (span->maxC - span->minC) * i / 64.0;
            const auto ohms = box::sensorResistance(sensor, std::min(celsius, span->maxC));
            FUZZ_CHECK(ohms && std::isfinite(ohms.value()) && ohms.value() > 0);
            // Rounding may step a last bit beyond a row; nothing more.
            FUZZ_CHECK(ohms.value() >= lowest * (1 - 1e-12) &&
                       ohms.value() <= highest * (1 + 1e-12));
        }
        FUZZ_CHECK(
            !box::sensorResistance(sensor, span->maxC + std::fabs(span->maxC) * 1e-9 + 1e-9));
    }
    return 0;
}
