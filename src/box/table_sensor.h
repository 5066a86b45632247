#pragma once
// A sensor given by the resistance–temperature table of its datasheet. An
// NTC thermistor's table is read between neighbouring rows as ln R linear in
// 1/T (the β model through those two rows), a resistance thermometer's as a
// straight line: with rows 10 K apart a Pt100's curvature leaves at most
// 5 mΩ (1.5 mΩ above 0 °C), well below the box's 0.1 Ω step.

#include <optional>
#include <string>
#include <vector>

namespace zz::box {

enum class TableKind { Ntc, Rtd };

struct TableRow {
    double celsius = 0.0;
    double ohms = 0.0;
};

struct TableSensor {
    std::string name;  // as typed and shown
    TableKind kind = TableKind::Ntc;
    std::vector<TableRow> rows;  // as tableFault accepts them
};

// The first row at fault (counted from 0) and why: fewer than two rows, a
// temperature not above absolute zero or a resistance not above zero, rows
// not rising strictly in temperature, or resistances not strictly falling
// (NTC) or rising (RTD) with it.
struct TableFault {
    std::size_t row = 0;
    std::string reason;
};
std::optional<TableFault> tableFault(TableKind kind, const std::vector<TableRow> &rows);

// The resistance at `celsius`, which the caller keeps within the first and
// last rows' temperatures.
double tableResistance(const TableSensor &sensor, double celsius);

}  // namespace zz::box
