#pragma once
// Which requests the page's server answers. A browser page from anywhere
// else must not set the box: every request must name this server in its Host
// header (a DNS-rebound name does not), and a WebSocket must come from a page
// of this server (its Origin is this server's own).

#include <string>
#include <string_view>
#include <vector>

namespace zz::web {

struct ServedNames {
    unsigned port = 0;               // the port being served
    std::vector<std::string> names;  // host names besides "localhost" and IP literals, lower case
};

// Host: "localhost:8080", "127.0.0.1:8080", "[::1]:8080", "bench-pc:8080" (a
// name served), port 80 when none is given. IP literals pass, since a
// rebinding attack needs a name.
bool hostAllowed(std::string_view host, const ServedNames &served);

// Origin: exactly this server's own, "http://" and the Host it was reached by.
bool originAllowed(std::string_view origin, std::string_view host);

// This machine's name as the pages and the identification give it.
std::string machineHostName();

}  // namespace zz::web
