#pragma once
// The VXI-11 core channel on a TCP port of its own (the abort channel on the
// same port): each connection an RPC stream whose calls are carried out on
// the link's thread when they may reach the box, in the queue the SCPI lines
// and the pages use, so each link is a client as a SCPI connection is; the
// others at once. The VXI-11 links live in one DeviceCore; at most
// kMaxVxi11Links of them, and at most kMaxVxi11Connections connections (a
// newcomer past that is closed).

#include "net/connection_set.h"
#include "net/listener.h"
#include "server/front_context.h"
#include "vxi11/device_core.h"
#include "vxi11/scpi_session_host.h"

#include <boost/asio/ip/tcp.hpp>

#include <memory>
#include <string>
#include <vector>

namespace zz::server {

inline constexpr std::size_t kMaxVxi11Connections = 32;
inline constexpr int kMaxVxi11Links = 16;

class Vxi11Connection;

class Vxi11Server {
public:
    explicit Vxi11Server(FrontContext &context);
    ~Vxi11Server();

    Status listen(const boost::asio::ip::tcp::endpoint &endpoint);
    std::uint16_t port() const { return listener_.port(); }
    std::string address() const { return listener_.address(); }
    // Stops listening and closes every connection.
    void close();

private:
    void admit(boost::asio::ip::tcp::socket socket);

    FrontContext &context_;
    vxi11::ScpiSessionHost host_;              // each VXI-11 link a session of the instrument
    std::unique_ptr<vxi11::DeviceCore> core_;  // made once the port is known
    net::Listener listener_;
    net::ConnectionSet<Vxi11Connection> connections_;
    vxi11::ConnectionId nextId_ = 1;
};

}  // namespace zz::server
