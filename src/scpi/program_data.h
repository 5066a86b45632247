#pragma once
// The pieces of one program message (IEEE 488.2): units separated by ';',
// each a header and parameters separated by ','; and the readers of the two
// kinds of parameter the commands take, numbers and words. Failures are the
// error codes of error_queue.h.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zz::scpi {

struct MessageUnit {
    bool common = false;    // "*IDN?": nodes holds "IDN"
    bool absolute = false;  // a leading ':' starts again at the root
    bool query = false;
    std::vector<std::string> nodes;
    std::vector<std::string_view> params;  // blanks around each removed
};

// The units of a line, split at ';' outside quoted strings; nothing when a
// quote is left open.
std::optional<std::vector<std::string_view>> splitUnits(std::string_view line);

struct UnitRead {
    int error = 0;       // -102 when the unit is malformed
    bool blank = false;  // nothing but blanks: skipped
    MessageUnit unit;
};
UnitRead readUnit(std::string_view text);

// A decimal number with an optional suffix (NRf: "1.2e3", "-.5", "1.2 KOHM"),
// a non-decimal one ("#H1F", "#Q17", "#B101"), or MIN, MAX, DEF.
struct Numeric {
    enum class Kind { Value, Min, Max, Def };
    Kind kind = Kind::Value;
    double value = 0.0;  // beyond the range of a double: ±infinity, or 0
    std::string suffix;  // upper case, "" when none
};
struct NumericRead {
    int error = 0;  // -102 malformed, -104 a string or another word
    Numeric numeric;
};
NumericRead readNumeric(std::string_view param);

// A word ("PT100", "cel"), returned in upper case. -104 for a number or a
// string, -102 when malformed.
struct WordRead {
    int error = 0;
    std::string word;
};
WordRead readWord(std::string_view param);

// A string ('text' or "text", its own quote doubled inside), returned
// without its quotes. -104 for anything else, -102 when malformed.
struct StringRead {
    int error = 0;
    std::string text;
};
StringRead readString(std::string_view param);

// Whitespace of IEEE 488.2: every control character but LF, and space.
bool isBlank(char c);
std::string_view trimmed(std::string_view text);

}  // namespace zz::scpi
