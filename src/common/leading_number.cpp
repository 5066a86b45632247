#include "common/leading_number.h"

#include "common/numeral.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace zz::common {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int octalDigitValue(char c) {
    return (c >= '0' && c <= '7') ? c - '0' : -1;
}

// Walks the text one significant character at a time; blanks are invisible.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) { skipBlanks(); }

    // '\0' past the end: like an embedded NUL, it fits nowhere and ends the number.
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void advance() {
        ++pos_;
        skipBlanks();
    }
    bool take(char lower) {
        const char c = peek();
        if (c != lower && c != lower - ('a' - 'A')) return false;
        advance();
        return true;
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// "&H" / "&O" whole numbers. Values that fit 16 bits read as a 16-bit signed
// number ("&HFFFF" is -1), values that fit 32 bits as a 32-bit signed number
// ("&H10000" is 65536, "&HFFFFFFFF" is -1); the choice goes by the value, so
// leading zeros change nothing. Larger values overflow. No sign may precede
// the "&": "-&H1" is a lone minus sign and reads as 0.
LeadingNumber readRadixNumber(Cursor &cursor, int (*digitValue)(char), unsigned radix) {
    std::uint64_t value = 0;
    bool tooBig = false;
    for (int d = digitValue(cursor.peek()); d >= 0; d = digitValue(cursor.peek())) {
        if (!tooBig) {
            value = value * radix + static_cast<unsigned>(d);
            tooBig = value > 0xFFFF'FFFFu;
        }
        cursor.advance();
    }
    if (tooBig) return {kInfinity, true};
    if (value <= 0xFFFFu) return {static_cast<double>(static_cast<std::int16_t>(value)), false};
    return {static_cast<double>(static_cast<std::int32_t>(value)), false};
}

// Blanks may stand anywhere, "D" is another "E".
constexpr NumeralRules kRules{isBlank, nullptr, "eEdD"};

}  // namespace

// A zero result is always +0, never -0 ("-0" and "-1e-400" read as 0).
LeadingNumber readLeadingNumber(std::string_view text) {
    Cursor cursor(text);
    if (cursor.peek() == '&') {
        cursor.advance();
        if (cursor.take('h')) return readRadixNumber(cursor, hexDigitValue, 16);
        if (cursor.take('o')) return readRadixNumber(cursor, octalDigitValue, 8);
        return {};
    }

    const Numeral numeral = scanNumeral(text, kRules);
    return {numeral.value == 0.0 ? 0.0 : numeral.value, numeral.range == Numeral::Range::Overflow};
}

}  // namespace zz::common
