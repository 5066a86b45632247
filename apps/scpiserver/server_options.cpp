#include "server_options.h"

#include "program/command_line.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <string_view>

namespace zz::scpiserver {

ServerOptions parseServerOptions(const std::vector<std::string> &args) {
    ServerOptions o;
    CLI::App app("6175ZIZ-scpi", "6175ZIZ-scpi");
    program::usePlainStyle(app);  // the program's own help text, printed by main
    app.add_flag("-h,--help", o.help);
    app.add_flag("--version", o.version);
    app.add_flag("--no-vxi11", o.noVxi11);
    app.add_flag("--no-announce", o.noAnnounce);
    std::string port, device, listen, http, name, allow, httpToken;
    long idleMs = 0;
    auto *portOption = app.add_option("--port", port);
    auto *deviceOption = app.add_option("--device", device);
    auto *listenOption = app.add_option("--listen", listen);
    auto *httpOption = app.add_option("--http", http);
    auto *nameOption = app.add_option("--name", name);
    auto *allowOption = app.add_option("--allow", allow);
    auto *tokenOption = app.add_option("--http-token", httpToken);
    auto *idleOption =
        app.add_option("--slot-idle-ms", idleMs)->group("")->check(CLI::Range(1L, 86'400'000L));
    for (auto *option : {portOption, deviceOption, listenOption, httpOption, nameOption,
                         allowOption, tokenOption, idleOption})
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    o.error = program::parseArguments(app, args);
    if (!o.error.empty()) return o;
    if (portOption->count()) o.port = port;
    if (deviceOption->count()) o.device = device;
    if (listenOption->count()) o.listen = listen;
    if (httpOption->count()) o.http = http;
    if (nameOption->count()) {
        if (name.empty() || name.size() > 63) {
            o.error = "--name: the instance name takes 1 to 63 bytes";
            return o;
        }
        o.name = name;
    }
    if (allowOption->count()) o.allow = allow;
    if (tokenOption->count()) {
        // It stands in addresses and cookies as given.
        const bool plain =
            !httpToken.empty() && httpToken.find_first_not_of(
                                      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                      "0123456789-._~") == std::string::npos;
        if (!plain) {
            o.error = "--http-token: a token of letters, digits and - . _ ~, or off";
            return o;
        }
        o.httpToken = httpToken;
    }
    if (idleOption->count()) o.idleLimit = std::chrono::milliseconds(idleMs);
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
