#pragma once
// The listening socket and its clients, at most kMaxClients at once. When
// every slot is taken, the client silent the longest gives its slot to the
// newcomer if it has been silent for the idle limit; otherwise the newcomer
// is closed at once. Both are logged.

#include "listener.h"
#include "scpi_connection.h"

#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zz::scpiserver {

inline constexpr int kMaxClients = 16;

class ScpiServer {
public:
    ScpiServer(ScpiContext &context, std::chrono::milliseconds idleLimit);

    // The reason when it cannot listen; empty on success.
    std::string listen(const boost::asio::ip::tcp::endpoint &endpoint) {
        return listener_.listen(endpoint);
    }
    std::string address() const { return listener_.address(); }  // "127.0.0.1:5025" as bound
    boost::asio::ip::tcp::endpoint endpoint() const { return listener_.endpoint(); }
    // Stops listening and closes every client.
    void close();

private:
    void admit(boost::asio::ip::tcp::socket socket);

    ScpiContext &context_;
    std::chrono::milliseconds idleLimit_;
    Listener listener_;
    std::vector<std::shared_ptr<ScpiConnection>> clients_;
};

}  // namespace zz::scpiserver
