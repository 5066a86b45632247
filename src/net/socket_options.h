#pragma once
// What the server sets on each client's socket, per platform.

#include <boost/asio/ip/tcp.hpp>

namespace zz::net {

// No Nagle delay on answers, and keepalive so that a dead peer is found
// within about two minutes.
void tuneClientSocket(boost::asio::ip::tcp::socket &socket);

// Acknowledge what arrived now rather than up to 40 ms later: for a command
// that has no answer to carry the acknowledgement. A client that writes such
// a command and then its next line (a setting, then *IDN?) would otherwise
// wait for it under Nagle's rule. Where the system cannot be asked at a
// given moment (Windows), every segment is acknowledged at once instead.
void acknowledgeAtOnce(boost::asio::ip::tcp::socket &socket);

// The platform's part of tuneClientSocket: the keepalive times, and the
// acknowledgement where the system keeps the setting.
void tuneKeepaliveAndAcknowledgement(boost::asio::ip::tcp::socket &socket);

}  // namespace zz::net
