#pragma once
// What the server sets on each client's socket, per platform.

#include <boost/asio/ip/tcp.hpp>

namespace zz::scpiserver {

// No Nagle delay on answers, and keepalive so that a dead peer is found
// within about two minutes.
void tuneClientSocket(boost::asio::ip::tcp::socket &socket);

// Acknowledge what arrived at once rather than up to 40 ms later. A client
// that writes a command with no answer and then its next line (a setting,
// then *IDN?) would otherwise wait for that acknowledgement under Nagle's
// rule. Asked again after each read where the system forgets it (Linux).
void acknowledgeAtOnce(boost::asio::ip::tcp::socket &socket);

// The platform's part of tuneClientSocket: the keepalive times, and the
// acknowledgement where the system keeps the setting.
void tuneKeepaliveAndAcknowledgement(boost::asio::ip::tcp::socket &socket);

}  // namespace zz::scpiserver
