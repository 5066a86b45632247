#include "web/host_check.h"

#include <boost/asio/ip/address.hpp>
#include <boost/asio/ip/host_name.hpp>

#include <algorithm>
#include <charconv>

namespace zz::web {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

bool isIpLiteral(const std::string &host) {
    boost::system::error_code error;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        (void)boost::asio::ip::make_address_v6(host.substr(1, host.size() - 2), error);
        return !error;
    }
    // Dotted quads only: "0x7f.1" and other forms some resolvers take are names.
    if (host.find_first_not_of("0123456789.") != std::string::npos) return false;
    (void)boost::asio::ip::make_address_v4(host, error);
    return !error;
}

}  // namespace

bool hostAllowed(std::string_view header, const ServedNames &served) {
    const std::string host = lower(header);
    if (host.empty() || host.size() > 255) return false;
    std::string name = host;
    unsigned port = 80;
    const auto close = host.rfind(']');
    const auto colon = host.rfind(':');
    if (colon != std::string::npos && (close == std::string::npos || colon > close)) {
        name = host.substr(0, colon);
        const std::string_view digits = std::string_view(host).substr(colon + 1);
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
            return false;
    }
    if (port != served.port) return false;
    if (name == "localhost" || isIpLiteral(name)) return true;
    return std::find(served.names.begin(), served.names.end(), name) != served.names.end();
}

bool originAllowed(std::string_view origin, std::string_view host) {
    return !host.empty() && lower(origin) == "http://" + lower(host);
}

std::string machineHostName() {
    boost::system::error_code error;
    const std::string name = boost::asio::ip::host_name(error);
    return error ? std::string() : lower(name);
}

}  // namespace zz::web
