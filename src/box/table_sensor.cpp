#include "box/table_sensor.h"

#include "box/temperature.h"
#include "common/decimal_text.h"

#include <algorithm>
#include <cmath>

namespace zz::box {

namespace {

std::string celsiusText(double celsius) {
    return common::decimalText(celsius) + " \u00B0C";
}
std::string ohmsText(double ohms) {
    return common::decimalText(ohms) + " \u03A9";
}

}  // namespace

std::optional<TableFault> tableFault(TableKind kind, const std::vector<TableRow> &rows) {
    if (rows.size() < 2)
        return TableFault{0, std::to_string(rows.size()) + (rows.size() == 1 ? " row" : " rows") +
                                 ": a table needs two rows at least"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TableRow &row = rows[i];
        if (!std::isfinite(row.celsius) || !std::isfinite(row.ohms))
            return TableFault{i, "a row of numbers that are not finite"};
        if (!(row.celsius > kAbsoluteZeroC))
            return TableFault{
                i, "temperature " + celsiusText(row.celsius) + " is not above absolute zero"};
        if (!(row.ohms > 0))
            return TableFault{i, "resistance " + ohmsText(row.ohms) + " is not above zero"};
        if (i == 0) continue;
        const TableRow &before = rows[i - 1];
        if (!(row.celsius > before.celsius))
            return TableFault{i, "temperature " + celsiusText(row.celsius) + " is not above " +
                                     celsiusText(before.celsius) +
                                     " of the row before; rows go from cold to hot"};
        if (kind == TableKind::Ntc && !(row.ohms < before.ohms))
            return TableFault{i, "resistance " + ohmsText(row.ohms) + " does not fall from " +
                                     ohmsText(before.ohms) +
                                     " of the row before, as an NTC thermistor's does"};
        if (kind == TableKind::Rtd && !(row.ohms > before.ohms))
            return TableFault{i, "resistance " + ohmsText(row.ohms) + " does not rise from " +
                                     ohmsText(before.ohms) +
                                     " of the row before, as a resistance thermometer's does"};
    }
    return std::nullopt;
}

double tableResistance(const TableSensor &sensor, double celsius) {
    const auto &rows = sensor.rows;
    // The first row above `celsius`, so rows[i - 1] lies at or below it.
    auto above = std::upper_bound(rows.begin(), rows.end(), celsius,
                                  [](double t, const TableRow &row) { return t < row.celsius; });
    if (above == rows.end()) return rows.back().ohms;
    if (above == rows.begin()) return rows.front().ohms;
    const TableRow &lo = *(above - 1), &hi = *above;
    if (celsius == lo.celsius) return lo.ohms;  // a row exactly as given
    if (sensor.kind == TableKind::Rtd)
        return lo.ohms + (hi.ohms - lo.ohms) * ((celsius - lo.celsius) / (hi.celsius - lo.celsius));
    // In logarithms throughout, so rows 600 decades apart stay finite; rows
    // a hair apart may give one 1/T.
    const auto inverseK = [](double c) { return 1.0 / (c - kAbsoluteZeroC); };
    const double width = inverseK(hi.celsius) - inverseK(lo.celsius);
    if (width == 0) return lo.ohms;
    const double share = (inverseK(celsius) - inverseK(lo.celsius)) / width;
    const double lnLo = std::log(lo.ohms);
    return std::exp(lnLo + share * (std::log(hi.ohms) - lnLo));
}

}  // namespace zz::box
