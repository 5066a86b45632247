#pragma once
// Addresses as the log and the messages write them.

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>

#include <string>

namespace zz::net {

// "127.0.0.1:5025", "[::1]:5025".
std::string endpointText(const boost::asio::ip::address &address, unsigned short port);
inline std::string endpointText(const boost::asio::ip::tcp::endpoint &endpoint) {
    return endpointText(endpoint.address(), endpoint.port());
}
inline std::string endpointText(const boost::asio::ip::udp::endpoint &endpoint) {
    return endpointText(endpoint.address(), endpoint.port());
}
// The far end of a connected socket, or "unknown peer" once it has gone.
std::string peerText(const boost::asio::ip::tcp::socket &socket);
// The near end as bound, or "?" when not.
std::string localText(const boost::asio::ip::tcp::acceptor &acceptor);

}  // namespace zz::net
