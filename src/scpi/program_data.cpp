#include "scpi/program_data.h"

#include "common/numeral.h"
#include "scpi/error_queue.h"
#include "scpi/header_pattern.h"

#include <cctype>

namespace zz::scpi {

namespace {

bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isMnemonic(std::string_view word) {
    if (word.empty() || !isLetter(word[0])) return false;
    for (const char c : word)
        if (!isLetter(c) && !isDigit(c) && c != '_') return false;
    return true;
}
bool isQuote(char c) {
    return c == '"' || c == '\'';
}

// Splits at `separator` outside quoted strings (a doubled quote stays inside).
std::optional<std::vector<std::string_view>> splitOutsideQuotes(std::string_view text,
                                                                char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;  // a doubled quote reopens at once
        } else if (isQuote(c)) {
            quote = c;
        } else if (c == separator) {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (quote) return std::nullopt;
    pieces.push_back(text.substr(start));
    return pieces;
}

// "#H1F", "#Q17", "#B101" as a whole number.
std::optional<double> nonDecimal(std::string_view p) {
    if (p.size() < 3) return std::nullopt;
    int base = 0;
    switch (std::toupper(static_cast<unsigned char>(p[1]))) {
        case 'H':
            base = 16;
            break;
        case 'Q':
            base = 8;
            break;
        case 'B':
            base = 2;
            break;
        default:
            return std::nullopt;
    }
    double value = 0.0;
    for (const char c : p.substr(2)) {
        const int digit = std::isxdigit(static_cast<unsigned char>(c))
                              ? (isDigit(c) ? c - '0' : std::toupper(c) - 'A' + 10)
                              : 99;
        if (digit >= base) return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

}  // namespace

bool isBlank(char c) {
    return c != '\n' && static_cast<unsigned char>(c) <= ' ';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::vector<std::string_view>> splitUnits(std::string_view line) {
    return splitOutsideQuotes(line, ';');
}

UnitRead readUnit(std::string_view text) {
    UnitRead read;
    text = trimmed(text);
    if (text.empty()) {
        read.blank = true;
        return read;
    }
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end])) ++end;
    std::string_view header = text.substr(0, end);
    const std::string_view rest = trimmed(text.substr(end));

    MessageUnit &unit = read.unit;
    if (!header.empty() && header.back() == '?') {
        unit.query = true;
        header.remove_suffix(1);
    }
    if (!header.empty() && header[0] == '*') {
        unit.common = true;
        header.remove_prefix(1);
    } else if (!header.empty() && header[0] == ':') {
        unit.absolute = true;
        header.remove_prefix(1);
    }
    // Every node a mnemonic; "RES::LEV", "RES:" and "*" are malformed.
    while (true) {
        const std::size_t colon = header.find(':');
        const std::string_view node = header.substr(0, colon);
        if (!isMnemonic(node) || (unit.common && colon != std::string_view::npos)) {
            read.error = error::kSyntax;
            return read;
        }
        unit.nodes.push_back(upperCase(node));
        if (colon == std::string_view::npos) break;
        header.remove_prefix(colon + 1);
    }
    if (rest.empty()) return read;
    const auto params = splitOutsideQuotes(rest, ',');
    for (const std::string_view param : *params) {
        if (trimmed(param).empty()) {
            read.error = error::kSyntax;
            return read;
        }
        unit.params.push_back(trimmed(param));
    }
    return read;
}

NumericRead readNumeric(std::string_view p) {
    NumericRead read;
    Numeric &n = read.numeric;
    if (isQuote(p[0])) {
        read.error = error::kDataType;
        return read;
    }
    if (p[0] == '#') {
        const auto value = nonDecimal(p);
        if (value) n.value = *value;
        read.error =
            value ? 0 : (p.size() > 1 && isDigit(p[1]) ? error::kDataType : error::kSyntax);
        return read;
    }
    if (isLetter(p[0])) {
        const WordRead word = readWord(p);
        using Kind = Numeric::Kind;
        if (word.error) {
            read.error = word.error;
        } else if (word.word == "MIN" || word.word == "MINIMUM") {
            n.kind = Kind::Min;
        } else if (word.word == "MAX" || word.word == "MAXIMUM") {
            n.kind = Kind::Max;
        } else if (word.word == "DEF" || word.word == "DEFAULT") {
            n.kind = Kind::Def;
        } else {
            read.error = error::kDataType;
        }
        return read;
    }

    // NRf: no blank inside the mantissa, blanks allowed around the E.
    const common::Numeral numeral = common::scanNumeral(p, {nullptr, isBlank, "eE"});
    if (numeral.length == 0) {
        read.error = error::kSyntax;
        return read;
    }
    n.value = numeral.value;  // beyond a double: ±infinity or 0

    // Suffix: a word after optional blanks, then nothing.
    std::size_t s = numeral.length;
    while (s < p.size() && isBlank(p[s])) ++s;
    const std::string_view suffix = p.substr(s);
    if (!suffix.empty() && !isMnemonic(suffix)) {
        read.error = error::kSyntax;
        return read;
    }
    n.suffix = upperCase(suffix);
    return read;
}

WordRead readWord(std::string_view p) {
    WordRead read;
    if (isMnemonic(p)) {
        read.word = upperCase(p);
    } else {
        read.error = isLetter(p[0]) ? error::kSyntax : error::kDataType;
    }
    return read;
}

StringRead readString(std::string_view p) {
    StringRead read;
    if (p.empty() || (p[0] != '"' && p[0] != '\'')) {
        read.error = error::kDataType;
        return read;
    }
    const char quote = p[0];
    std::size_t i = 1;
    for (; i < p.size(); ++i) {
        if (p[i] != quote) {
            read.text += p[i];
        } else if (i + 1 < p.size() && p[i + 1] == quote) {
            read.text += quote;
            ++i;
        } else {
            break;
        }
    }
    if (i != p.size() - 1) {  // unclosed, or more after the closing quote
        read.error = error::kSyntax;
        read.text.clear();
    }
    return read;
}

}  // namespace zz::scpi
