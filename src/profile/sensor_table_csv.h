#pragma once
// A sensor's resistance–temperature table as a CSV file holds it, exported
// from a datasheet or a spreadsheet: one row a line, temperature (°C) then
// resistance (Ω), separated by a comma or a semicolon, '.' the decimal
// point; '#' starts a comment, blank lines are skipped and the first line
// may be a header. Anything else is refused with the file, line and reason,
// since a row read wrongly would set wrong temperatures without a sign.

#include "box/table_sensor.h"
#include "common/status.h"

#include <string>
#include <string_view>
#include <vector>

namespace zz::profile {

// The rows, checked as box::tableFault checks them; a refusal reads
// "ntc1.csv:7: resistance 12000 Ω does not fall from ...".
Outcome<std::vector<box::TableRow>> readSensorTable(std::string_view text,
                                                    const std::string &fileName,
                                                    box::TableKind kind);

}  // namespace zz::profile
