#include "web/page_token.h"

#include <cstdint>
#include <random>

namespace zz::web {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The value of `name` among `separator`-separated name=value pairs.
std::optional<std::string_view> pairValue(std::string_view pairs, char separator,
                                          std::string_view name, bool trim) {
    while (!pairs.empty()) {
        const std::size_t end = pairs.find(separator);
        std::string_view pair = pairs.substr(0, end);
        if (trim) pair = trimmed(pair);
        const std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && pair.substr(0, equals) == name)
            return pair.substr(equals + 1);
        if (end == std::string_view::npos) break;
        pairs.remove_prefix(end + 1);
    }
    return std::nullopt;
}

}  // namespace

std::string newPageToken() {
    std::random_device source;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 4; ++i) {
        const auto word = static_cast<std::uint32_t>(source());
        for (int nibble = 0; nibble < 8; ++nibble) token += kHex[(word >> (4 * nibble)) & 0xF];
    }
    return token;
}

std::string tokenCookieName(unsigned port) {
    return "token_" + std::to_string(port);
}

std::optional<std::string_view> cookieValue(std::string_view header, std::string_view name) {
    return pairValue(header, ';', name, true);
}

std::optional<std::string_view> queryValue(std::string_view target, std::string_view name) {
    const std::size_t question = target.find('?');
    if (question == std::string_view::npos) return std::nullopt;
    std::string_view query = target.substr(question + 1);
    query = query.substr(0, query.find('#'));
    return pairValue(query, '&', name, false);
}

bool sameToken(std::string_view given, std::string_view token) {
    unsigned difference = given.size() == token.size() ? 0 : 1;
    for (std::size_t i = 0; i < token.size(); ++i)
        difference |= static_cast<unsigned char>(i < given.size() ? given[i] : 0) ^
                      static_cast<unsigned char>(token[i]);
    return difference == 0 && !token.empty();
}

}  // namespace zz::web
