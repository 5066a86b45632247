#include "net/endpoint_text.h"

namespace zz::net {

std::string endpointText(const boost::asio::ip::address &address, unsigned short port) {
    const std::string host =
        address.is_v6() ? "[" + address.to_string() + "]" : address.to_string();
    return host + ":" + std::to_string(port);
}

std::string peerText(const boost::asio::ip::tcp::socket &socket) {
    boost::system::error_code error;
    const auto remote = socket.remote_endpoint(error);
    return error ? std::string("unknown peer") : endpointText(remote);
}

std::string localText(const boost::asio::ip::tcp::acceptor &acceptor) {
    boost::system::error_code error;
    const auto local = acceptor.local_endpoint(error);
    return error ? std::string("?") : endpointText(local);
}

}  // namespace zz::net
