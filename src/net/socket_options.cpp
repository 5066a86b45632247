#include "net/socket_options.h"

namespace zz::net {

void tuneClientSocket(boost::asio::ip::tcp::socket &socket) {
    boost::system::error_code ignored;
    socket.set_option(boost::asio::socket_base::keep_alive(true), ignored);
    socket.set_option(boost::asio::ip::tcp::no_delay(true), ignored);
    tuneKeepaliveAndAcknowledgement(socket);
}

}  // namespace zz::net
