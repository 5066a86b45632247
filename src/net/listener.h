#pragma once
// A listening TCP socket that hands each accepted connection on, after the
// gate let it in: the one listen sequence of the SCPI port, the VXI-11 core
// channel, the portmapper's TCP side and the page. An IPv6 address listens
// on IPv6 only, so that "::" and "0.0.0.0" may be bound side by side.

#include "common/status.h"
#include "net/gate.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <cstdint>
#include <functional>
#include <string>

namespace zz::net {

class Listener {
public:
    using Accepted = std::function<void(boost::asio::ip::tcp::socket)>;

    // `kind` names the peers in the log ("SCPI client", "page").
    Listener(boost::asio::io_context &io, Gate &gate, std::string kind, Accepted accepted);

    Status listen(const boost::asio::ip::tcp::endpoint &endpoint);
    boost::asio::ip::tcp::endpoint endpoint() const;
    std::uint16_t port() const { return endpoint().port(); }
    std::string address() const;  // "127.0.0.1:5025" as bound, "?" when not
    void close();

private:
    void accept();

    boost::asio::ip::tcp::acceptor acceptor_;
    Gate &gate_;
    std::string kind_;
    Accepted accepted_;
};

// Opens, binds and listens: the sequence every TCP port of the server takes.
// A failure's number is the system's error number.
Status listenOn(boost::asio::ip::tcp::acceptor &acceptor,
                const boost::asio::ip::tcp::endpoint &endpoint);

}  // namespace zz::net
