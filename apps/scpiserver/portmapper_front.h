#pragma once
// Where clients find the VXI-11 core port: the portmapper on UDP and TCP 111
// of the listening address, answered on the network's thread (it never
// touches the line). When a system rpcbind already holds 111, the core port
// is registered with it instead (PMAPPROC_SET, version 2, to 127.0.0.1:111)
// and unregistered by close().

#include "vxi11/portmapper.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zz::scpiserver {

class PortmapperFront {
public:
    PortmapperFront(boost::asio::io_context &io, std::uint16_t corePort);
    ~PortmapperFront();

    // Serves 111 on `address`, or registers with the system's rpcbind; the
    // reason when neither works (clients cannot find the core port then).
    // `port` is 111 but for tests.
    std::string start(const boost::asio::ip::address &address, std::uint16_t port = 111);
    // What start() did, for the log.
    const std::string &how() const { return how_; }
    // Stops serving, or unregisters from rpcbind.
    void close();

private:
    struct TcpClient;
    void receive();
    void accept();
    // Empty once registered, the refusal when refused; nothing when no
    // rpcbind answers.
    std::optional<std::string> registerWithRpcbind(std::uint16_t port);

    boost::asio::io_context &io_;
    vxi11::pmap::Portmapper mapper_;
    std::uint16_t corePort_;
    boost::asio::ip::udp::socket udp_;
    boost::asio::ip::tcp::acceptor tcp_;
    boost::asio::ip::udp::endpoint sender_;
    std::array<std::uint8_t, 9000> datagram_{};
    std::vector<std::shared_ptr<TcpClient>> clients_;
    std::uint16_t registeredAt_ = 0;  // rpcbind's port when registered there
    std::string how_;
};

}  // namespace zz::scpiserver
