#include "server/portmapper_front.h"

#include "net/endpoint_text.h"
#include "net/interface_broadcast.h"
#include "net/log.h"
#include "vxi11/device_protocol.h"
#include "vxi11/rpc_stream.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>
#include <chrono>

namespace zz::server {

namespace asio = boost::asio;
using boost::system::error_code;

namespace {

constexpr std::size_t kMaxMapperClients = 16;

vxi11::pmap::Mapping coreMapping(std::uint16_t corePort) {
    return {vxi11::device::kCoreProgram, vxi11::device::kCoreVersion, vxi11::pmap::kTcp, corePort};
}

// One call to the system's rpcbind on 127.0.0.1 over UDP: its boolean
// answer, or nothing after a second without one, or at once when nothing
// listens there (the socket is connected, so the refusal comes back).
std::optional<bool> askRpcbind(std::uint16_t port, const std::vector<std::uint8_t> &call,
                               std::uint32_t xid) {
    asio::io_context local;
    asio::ip::udp::socket socket(local);
    error_code error;
    socket.open(asio::ip::udp::v4(), error);
    if (!error) socket.connect({asio::ip::address_v4::loopback(), port}, error);
    if (!error) socket.send(asio::buffer(call), 0, error);
    if (error) return std::nullopt;
    std::array<std::uint8_t, 512> reply{};
    std::optional<bool> answer;
    std::function<void()> wait = [&] {
        socket.async_receive(asio::buffer(reply), [&](error_code e, std::size_t n) {
            if (e) return;
            answer = vxi11::pmap::boolReply(std::span(reply.data(), n), xid);
            if (!answer) wait();  // not the answer to this call
        });
    };
    wait();
    local.run_for(std::chrono::seconds(1));
    return answer;
}

}  // namespace

struct PortmapperFront::TcpClient : std::enable_shared_from_this<TcpClient> {
    TcpClient(asio::ip::tcp::socket s, const vxi11::pmap::Portmapper &mapper)
        : socket(std::move(s)), stream([&mapper](std::span<const std::uint8_t> record) {
              return mapper.handleCall(record);
          }) {}
    asio::ip::tcp::socket socket;
    vxi11::RpcStream stream;
    std::array<std::uint8_t, 4096> buffer{};
    std::vector<std::uint8_t> writing;
    std::function<void(TcpClient *)> finished;

    void read() {
        socket.async_read_some(
            asio::buffer(buffer), [self = shared_from_this()](error_code error, std::size_t n) {
                if (error) return self->end();
                auto out = self->stream.feed(std::span(self->buffer.data(), n));
                self->writing = std::move(out.bytes);
                asio::async_write(self->socket, asio::buffer(self->writing),
                                  [self, close = out.close](error_code e, std::size_t) {
                                      if (e || close) return self->end();
                                      self->read();
                                  });
            });
    }
    void end() {
        error_code ignored;
        socket.close(ignored);
        if (finished) std::exchange(finished, nullptr)(this);
    }
};

// One UDP socket of the portmapper: the listening address, or the
// broadcast address of its interface. Replies go out from the socket bound
// to the listening address, so the client sees the box's own address.
struct PortmapperFront::DatagramPort : std::enable_shared_from_this<DatagramPort> {
    DatagramPort(asio::io_context &io, PortmapperFront &front) : socket(io), front(front) {}
    asio::ip::udp::socket socket;
    PortmapperFront &front;
    asio::ip::udp::endpoint sender;
    std::array<std::uint8_t, 9000> datagram{};

    void receive() {
        socket.async_receive_from(
            asio::buffer(datagram), sender,
            [self = shared_from_this()](error_code error, std::size_t n) {
                if (error == asio::error::operation_aborted || !self->socket.is_open()) return;
                if (!error && self->front.gate_.admits(
                                  self->sender.address(),
                                  "portmapper datagram from " + net::endpointText(self->sender))) {
                    const auto reply =
                        self->front.mapper_.handleCall(std::span(self->datagram.data(), n));
                    error_code ignored;
                    auto &from = self->front.udp_.front()->socket;
                    if (!reply.empty()) from.send_to(asio::buffer(reply), self->sender, 0, ignored);
                }
                self->receive();
            });
    }
};

PortmapperFront::PortmapperFront(asio::io_context &io, net::Gate &gate, std::uint16_t corePort)
    : io_(io),
      gate_(gate),
      mapper_(corePort),
      corePort_(corePort),
      tcp_(io, gate, "portmapper client",
           [this](asio::ip::tcp::socket socket) { admit(std::move(socket)); }) {}

PortmapperFront::~PortmapperFront() {
    close();
}

// No SO_REUSEADDR on UDP: it would share the port with a running rpcbind.
// The broadcast address is a help for discovery, not a condition: another
// server on the same interface may hold it.
Status PortmapperFront::bindDatagrams(const asio::ip::address &address, std::uint16_t port) {
    std::vector<asio::ip::address> addresses{address};
    if (address.is_v4())
        if (const auto broadcast = net::broadcastToBind(address.to_v4()))
            addresses.push_back(*broadcast);
    for (const auto &bound : addresses) {
        auto udp = std::make_shared<DatagramPort>(io_, *this);
        const asio::ip::udp::endpoint endpoint(bound, port);
        error_code error;
        udp->socket.open(endpoint.protocol(), error);
        if (!error) udp->socket.bind(endpoint, error);
        if (error && udp_.empty()) return Status::failure(error.value(), error.message());
        if (error) {
            broadcastTrouble_ =
                "; UDP broadcasts to " + bound.to_string() + " not heard: " + error.message();
            break;
        }
        udp_.push_back(udp);
    }
    return {};
}

Status PortmapperFront::start(const asio::ip::address &address, std::uint16_t port) {
    Status status = tcp_.listen({address, port});
    if (status) status = bindDatagrams(address, port);
    if (status) {
        how_ = "the portmapper on " + net::endpointText(address, port) + " (UDP and TCP" +
               (udp_.size() > 1 ? ", and UDP broadcasts to " +
                                      udp_.back()->socket.local_endpoint().address().to_string()
                                : std::string()) +
               ")" + broadcastTrouble_;
        for (const auto &udp : udp_) udp->receive();
        return {};
    }
    tcp_.close();
    const std::string where = "port " + std::to_string(port) + ": ";
    // The system's rpcbind may hold the port; registering with it needs no
    // privileges, so it is asked before binding is given up as not allowed.
    const std::string &reason = status.text();
    const bool denied = status.number() == asio::error::access_denied;
    const bool taken = status.number() == asio::error::address_in_use;
    if (!taken && !denied) return Status::failure(Status::kFailed, where + reason);
    const auto registered = registerWithRpcbind(port);
    if (!registered) return registered.status();
    if (registered.value()) return {};
    return Status::failure(
        Status::kFailed,
        where +
            (denied
                 ? reason + " (binding it needs CAP_NET_BIND_SERVICE), and no rpcbind answers there"
                 : std::string("taken, and no rpcbind answers there")));
}

Outcome<bool> PortmapperFront::registerWithRpcbind(std::uint16_t port) {
    const auto mapping = coreMapping(corePort_);
    // A stale entry of an earlier run would make SET fail: clear it first.
    if (!askRpcbind(port, vxi11::pmap::unsetCall(0x7a7a0001, mapping), 0x7a7a0001)) return false;
    const auto set = askRpcbind(port, vxi11::pmap::setCall(0x7a7a0002, mapping), 0x7a7a0002);
    if (!set) return false;
    if (!*set)
        return Outcome<bool>::failure("the rpcbind on port " + std::to_string(port) +
                                      " refused the core port");
    registeredAt_ = port;
    how_ = "registered with the system's rpcbind on 127.0.0.1:" + std::to_string(port);
    return true;
}

void PortmapperFront::admit(asio::ip::tcp::socket socket) {
    if (clients_.size() >= kMaxMapperClients) return;  // the newcomer's socket closes here
    auto client = std::make_shared<TcpClient>(std::move(socket), mapper_);
    client->finished = [this](TcpClient *gone) {
        std::erase_if(clients_, [gone](const auto &c) { return c.get() == gone; });
    };
    clients_.push_back(client);
    client->read();
}

void PortmapperFront::close() {
    tcp_.close();
    error_code ignored;
    for (const auto &udp : udp_) udp->socket.close(ignored);
    const auto clients = clients_;
    for (const auto &client : clients) client->end();
    if (registeredAt_) {
        const auto unset = askRpcbind(
            registeredAt_, vxi11::pmap::unsetCall(0x7a7a0003, coreMapping(corePort_)), 0x7a7a0003);
        if (!unset || !*unset) net::logLine("VXI-11: the rpcbind did not take back the core port");
        registeredAt_ = 0;
    }
}

}  // namespace zz::server
