#pragma once
// The SCPI port and its clients, at most kMaxClients at once; when every
// slot is taken the slot rule decides (net/slot_rule.h). Both are logged.

#include "net/connection_set.h"
#include "net/listener.h"
#include "net/slot_rule.h"
#include "server/scpi_connection.h"

#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zz::server {

inline constexpr int kMaxClients = 16;

class ScpiServer {
public:
    ScpiServer(FrontContext &context, std::chrono::milliseconds idleLimit);

    Status listen(const boost::asio::ip::tcp::endpoint &endpoint) {
        return listener_.listen(endpoint);
    }
    std::string address() const { return listener_.address(); }  // "127.0.0.1:5025" as bound
    boost::asio::ip::tcp::endpoint endpoint() const { return listener_.endpoint(); }
    // Stops listening and closes every client.
    void close();

private:
    void admit(boost::asio::ip::tcp::socket socket);

    FrontContext &context_;
    net::SlotRule slots_;
    net::Listener listener_;
    net::ConnectionSet<ScpiConnection> clients_;
};

}  // namespace zz::server
