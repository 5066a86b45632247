#include "toml_text.h"

#include <charconv>
#include <cstdio>

namespace zz::ctl {

namespace {

// The escape of a control character, or nothing for any other byte (UTF-8
// beyond ASCII is taken as it is).
std::string escapeOf(char c) {
    switch (c) {
        case '\b':
            return "\\b";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\f':
            return "\\f";
        case '\r':
            return "\\r";
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) return {};
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04X", byte);
    return text;
}

}  // namespace

std::string tomlString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += {'\\', c};
        else if (const std::string escape = escapeOf(c); !escape.empty())
            out += escape;
        else
            out += c;
    }
    return out + "\"";
}

std::string tomlNumber(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string tomlComment(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const std::string escape = c == '\t' ? std::string() : escapeOf(c);
        out += escape.empty() ? std::string(1, c) : escape;
    }
    return out;
}

}  // namespace zz::ctl
