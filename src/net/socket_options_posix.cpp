#include "net/socket_options.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace zz::net {

namespace asio = boost::asio;

void tuneKeepaliveAndAcknowledgement(asio::ip::tcp::socket &socket) {
    // First probe after 60 s of silence, then every 10 s, 6 unanswered: dead.
    const int idle = 60, interval = 10, count = 6;
    setsockopt(socket.native_handle(), IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(socket.native_handle(), IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(socket.native_handle(), IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    // Acknowledgements: asked for when due, see acknowledgeAtOnce.
}

void acknowledgeAtOnce(asio::ip::tcp::socket &socket) {
    const int on = 1;
    setsockopt(socket.native_handle(), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

}  // namespace zz::net
