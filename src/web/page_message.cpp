#include "web/page_message.h"

namespace zz::web {

namespace {

// A single digit from `low` to `high`, and nothing else.
std::optional<int> smallNumber(std::string_view text, int low, int high) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '9') return std::nullopt;
    const int n = text[0] - '0';
    if (n < low || n > high) return std::nullopt;
    return n;
}

}  // namespace

std::optional<Intent> parsePageMessage(std::string_view message) {
    using Kind = Intent::Kind;
    if (message.size() > kMaxMessage) return std::nullopt;
    const auto space = message.find(' ');
    const std::string_view verb = message.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view{} : message.substr(space + 1);
    const bool bare = space == std::string_view::npos;

    if (verb == "zero" && bare) return Intent{Kind::Zero, 0, {}};
    if (verb == "resend" && bare) return Intent{Kind::Resend, 0, {}};
    if (verb == "ping" && bare) return Intent{Kind::Ping, 0, {}};
    if (verb == "enter" && !bare) {
        // Typed text is a short line: control characters never come from the box.
        if (rest.size() > 64) return std::nullopt;
        for (const char c : rest)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::nullopt;
        return Intent{Kind::Enter, 0, std::string(rest)};
    }
    if (bare) return std::nullopt;
    if (verb == "up" || verb == "down") {
        const auto digit = smallNumber(rest, 1, 6);
        if (!digit) return std::nullopt;
        return Intent{verb == "up" ? Kind::Up : Kind::Down, *digit, {}};
    }
    if (verb == "true") {
        if (rest != "on" && rest != "off") return std::nullopt;
        return Intent{Kind::TrueMode, rest == "on" ? 1 : 0, {}};
    }
    if (verb == "preset") {
        const auto n = smallNumber(rest, 1, 7);
        if (!n) return std::nullopt;
        return Intent{Kind::Preset, *n, {}};
    }
    return std::nullopt;
}

}  // namespace zz::web
