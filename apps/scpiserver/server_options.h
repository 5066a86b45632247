#pragma once
// The command line of 6175ZIZ-scpi as given: the port (as 6175ZIZ-ctl takes
// it), the addresses to listen on and who may connect, still as text.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace zz::scpiserver {

inline constexpr char kDefaultListen[] = "127.0.0.1:5025";
inline constexpr char kDefaultHttp[] = "127.0.0.1:8080";

struct ServerOptions {
    bool help = false;
    bool version = false;
    std::optional<std::string> port;       // --port N
    std::optional<std::string> device;     // --device PATH
    std::optional<std::string> listen;     // --listen ADDR:PORT
    std::optional<std::string> http;       // --http ADDR:PORT | off
    bool noVxi11 = false;                  // --no-vxi11
    bool noAnnounce = false;               // --no-announce
    std::optional<std::string> name;       // --name TEXT: the DNS-SD instance name
    std::optional<std::string> allow;      // --allow ADDR[/BITS],...
    std::optional<std::string> httpToken;  // --http-token TEXT | off
    // How long a client must have been silent before a newcomer may take its
    // slot; not in --help (tests shorten it).
    std::optional<std::chrono::milliseconds> idleLimit;  // --slot-idle-ms N
    std::string error;                                   // a usage error; empty when understood
};

ServerOptions parseServerOptions(const std::vector<std::string> &args);

struct ListenAddress {
    std::string host;  // "127.0.0.1", "::1", "0.0.0.0"
    int port = 0;      // 0: any free port
};

// "127.0.0.1:5025", "[::1]:5025", "0.0.0.0:5025"; nothing when malformed.
std::optional<ListenAddress> splitListenAddress(const std::string &text);

}  // namespace zz::scpiserver
