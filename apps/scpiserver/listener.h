#pragma once
// A listening TCP socket that hands each accepted connection on: the one
// shape the SCPI port and the VXI-11 core channel share. An IPv6 address
// listens on IPv6 only, so that "::" and "0.0.0.0" may be bound side by side.

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <cstdint>
#include <functional>
#include <string>

namespace zz::scpiserver {

class Listener {
public:
    using Accepted = std::function<void(boost::asio::ip::tcp::socket)>;

    Listener(boost::asio::io_context &io, Accepted accepted);

    // The reason when it cannot listen; empty on success.
    std::string listen(const boost::asio::ip::tcp::endpoint &endpoint);
    boost::asio::ip::tcp::endpoint endpoint() const;
    std::uint16_t port() const { return endpoint().port(); }
    std::string address() const;  // "127.0.0.1:5025" as bound, "?" when not
    void close();

private:
    void accept();

    boost::asio::ip::tcp::acceptor acceptor_;
    Accepted accepted_;
};

}  // namespace zz::scpiserver
