#pragma once
// Where clients find the VXI-11 core port: the portmapper on UDP and TCP 111
// of the listening address, answered on the network's thread (it never
// touches the line). On POSIX systems the UDP side also binds the broadcast
// address of that address's interface, so that discovery on the subnet
// served finds the box and nothing answers on the machine's other
// interfaces. When a system rpcbind already holds 111, the core port is
// registered with it instead (PMAPPROC_SET, version 2, to 127.0.0.1:111) and
// unregistered by close().

#include "net/gate.h"
#include "net/listener.h"
#include "vxi11/portmapper.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zz::server {

class PortmapperFront {
public:
    PortmapperFront(boost::asio::io_context &io, net::Gate &gate, std::uint16_t corePort);
    ~PortmapperFront();

    // Serves 111 on `address`, or registers with the system's rpcbind; the
    // reason when neither works (clients cannot find the core port then).
    // `port` is 111 but for tests.
    Status start(const boost::asio::ip::address &address, std::uint16_t port = 111);
    // What start() did, for the log.
    const std::string &how() const { return how_; }
    // Stops serving, or unregisters from rpcbind.
    void close();

private:
    struct TcpClient;
    struct DatagramPort;
    Status bindDatagrams(const boost::asio::ip::address &address, std::uint16_t port);
    void admit(boost::asio::ip::tcp::socket socket);
    // True once registered, false when nothing answers there; a failure
    // when rpcbind refused.
    Outcome<bool> registerWithRpcbind(std::uint16_t port);

    boost::asio::io_context &io_;
    net::Gate &gate_;
    vxi11::pmap::Portmapper mapper_;
    std::uint16_t corePort_;
    net::Listener tcp_;
    std::vector<std::shared_ptr<DatagramPort>> udp_;  // the address, and its broadcast
    std::vector<std::shared_ptr<TcpClient>> clients_;
    std::uint16_t registeredAt_ = 0;  // rpcbind's port when registered there
    std::string how_;
    std::string broadcastTrouble_;  // for the log
};

}  // namespace zz::server
