#pragma once
// The page's server: HTTP and WebSocket (Boost.Beast) on the program's one
// event loop. It serves only the embedded page files and the identification
// document, pushes the box's state to every open page, and hands each page
// intent to the program. Beast stays inside web_server.cpp.

#include "common/status.h"
#include "net/gate.h"
#include "net/slot_rule.h"
#include "web/host_check.h"
#include "web/page_message.h"
#include "web/value_history.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace zz::web {

inline constexpr int kMaxPages = 16;
inline constexpr std::chrono::seconds kHttpIdle{30};
inline constexpr std::size_t kMaxUnsentUpdates = 64;

struct WebConfig {
    std::vector<std::string> hostNames;  // served besides localhost and IP literals
    std::string identificationXml;
    std::chrono::milliseconds idleLimit = net::kDefaultIdleLimit;  // a page's slot
    std::string serverName;                                        // the Server header
    // When not empty, every request but the identification's must bring it
    // (see web/page_token.h).
    std::string token;
    // The values set, for the plot and /history.csv; none: neither is served.
    const ValueHistory *history = nullptr;
};

// How far back a page opened is given the values set.
inline constexpr std::chrono::hours kPlottedHistory{1};

// Called on the event loop's thread for each page intent but "ping". `reply`
// (also on that thread) sends a message to that page alone.
using IntentHandler = std::function<void(const Intent &intent, const std::string &page,
                                         std::function<void(std::string json)> reply)>;

class WebServer {
public:
    WebServer(boost::asio::io_context &io, net::Gate &gate, WebConfig config,
              IntentHandler onIntent);
    ~WebServer();

    Status listen(const boost::asio::ip::tcp::endpoint &endpoint);
    std::string address() const;  // "127.0.0.1:8080" as bound
    unsigned port() const;
    // The state every page shows; sent to each open page and to each new one.
    void publish(std::string stateJson);
    // The values set since the last call go to every open page.
    void publishHistory();
    // The identification document from now on (the box's profile changed).
    void setIdentificationXml(std::string xml);
    // Stops listening and closes every page.
    void close();

    class Impl;  // in web_server.cpp

private:
    std::shared_ptr<Impl> impl_;
};

}  // namespace zz::web
