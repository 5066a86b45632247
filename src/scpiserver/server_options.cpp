#include "scpiserver/server_options.h"

#include <charconv>
#include <string_view>

namespace zz::scpiserver {

ServerOptions parseServerOptions(const std::vector<std::string> &args) {
    ServerOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "-h" || arg == "--help") {
            o.help = true;
            continue;
        }
        if (arg == "--version") {
            o.version = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        std::optional<std::string> *field = name == "--port"     ? &o.port
                                            : name == "--device" ? &o.device
                                            : name == "--listen" ? &o.listen
                                                                 : nullptr;
        if (!field) {
            o.error = (arg.starts_with("-") ? "unrecognized option '" : "unexpected operand '") +
                      arg + "'";
            return o;
        }
        if (equals != std::string::npos) {
            *field = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            *field = args[++i];
        } else {
            o.error = "option '" + arg + "' requires a value";
            return o;
        }
    }
    return o;
}

std::optional<ListenAddress> splitListenAddress(const std::string &text) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    std::string host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const std::string_view port = std::string_view(text).substr(colon + 1);
    ListenAddress address{host, 0};
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), address.port);
    if (ec != std::errc{} || end != port.data() + port.size() || port.empty() || address.port < 0 ||
        address.port > 65535)
        return std::nullopt;
    return address;
}

}  // namespace zz::scpiserver
