#include "profile/sensor_table_csv.h"

#include "common/decimal_text.h"
#include "profile/profile_reader.h"

#include <algorithm>
#include <cctype>

namespace zz::profile {

namespace {

using Rows = Outcome<std::vector<box::TableRow>>;

std::vector<std::string_view> fields(std::string_view line) {
    const char separator = line.find(';') != std::string_view::npos ? ';' : ',';
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const std::size_t end = line.find(separator, start);
        out.push_back(common::trimBlanks(line.substr(start, end - start)));
        if (end == std::string_view::npos) return out;
        start = end + 1;
    }
}

bool controlCharacter(std::string_view line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t') || byte == 0x7F;
    });
}

// A header that gives resistances in kΩ or MΩ: its numbers would be read as
// ohms, a thousand or a million times off.
bool scaledOhms(std::string_view header) {
    std::string lower;
    for (const char c : header)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char *unit :
         {"kohm", "k ohm", "k\u03A9", "k \u03A9", "k\u2126", "mohm", "m\u03A9", "m\u2126"})
        if (lower.find(unit) != std::string::npos) return true;
    return false;
}

}  // namespace

Rows readSensorTable(std::string_view text, const std::string &fileName, box::TableKind kind) {
    const auto refuse = [&](std::size_t line, const std::string &reason) {
        return Rows::failure(fileName + ":" + std::to_string(line) + ": " + reason);
    };
    if (const std::size_t line = firstNonUtf8Line(text)) return refuse(line, "not UTF-8 text");
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a spreadsheet's mark

    std::vector<box::TableRow> rows;
    std::vector<std::size_t> lines;
    bool headerAllowed = true;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = line.substr(0, line.find('#'));
        if (controlCharacter(line)) return refuse(lineNumber, "a control character");
        if (common::trimBlanks(line).empty()) continue;

        const auto parts = fields(line);
        const auto celsius = common::readDecimal(parts[0]);
        if (!celsius && headerAllowed) {
            headerAllowed = false;
            if (parts.size() == 2 && scaledOhms(parts[1]))
                return refuse(lineNumber, "the header gives kΩ or MΩ: write resistances in ohms");
            continue;
        }
        headerAllowed = false;
        if (parts.size() != 2)
            return refuse(lineNumber, std::to_string(parts.size()) +
                                          (parts.size() == 1 ? " column" : " columns") +
                                          "; a row is a temperature in °C and a resistance in "
                                          "ohms, separated by ',' or ';'");
        const auto ohms = common::readDecimal(parts[1]);
        for (const auto &[value, field] : {std::pair{celsius, parts[0]}, std::pair{ohms, parts[1]}})
            if (!value)
                return refuse(lineNumber, "\"" + std::string(field.substr(0, 40)) +
                                              "\" is not a number ('.' is the decimal point)");
        rows.push_back({*celsius, *ohms});
        lines.push_back(lineNumber);
    }
    if (const auto fault = box::tableFault(kind, rows))
        return refuse(rows.empty() ? 1 : lines[fault->row], fault->reason);
    return rows;
}

}  // namespace zz::profile
