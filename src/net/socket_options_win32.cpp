#include "net/socket_options.h"

#include <mstcpip.h>

namespace zz::net {

namespace asio = boost::asio;

void tuneKeepaliveAndAcknowledgement(asio::ip::tcp::socket &socket) {
    // First probe after 60 s of silence, then every 10 s: dead.
    tcp_keepalive settings{1, 60'000, 10'000};
    DWORD returned = 0;
    WSAIoctl(socket.native_handle(), SIO_KEEPALIVE_VALS, &settings, sizeof settings, nullptr, 0,
             &returned, nullptr, nullptr);
    // Every segment acknowledged at once, for the socket's life.
    unsigned char frequency = 1;
    WSAIoctl(socket.native_handle(), SIO_TCP_SET_ACK_FREQUENCY, &frequency, sizeof frequency,
             nullptr, 0, &returned, nullptr, nullptr);
}

// Windows keeps the frequency set above for the socket.
void acknowledgeAtOnce(asio::ip::tcp::socket &) {}

}  // namespace zz::net
