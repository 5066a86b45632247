#include "portmapper_front.h"

#include "server_log.h"
#include "vxi11/device_protocol.h"
#include "vxi11/rpc_stream.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>
#include <chrono>

namespace zz::scpiserver {

namespace asio = boost::asio;
using boost::system::error_code;

namespace {

constexpr std::size_t kMaxMapperClients = 16;

vxi11::pmap::Mapping coreMapping(std::uint16_t corePort) {
    return {vxi11::device::kCoreProgram, vxi11::device::kCoreVersion, vxi11::pmap::kTcp, corePort};
}

// One call to the system's rpcbind on 127.0.0.1 over UDP: its boolean
// answer, or nothing after a second without one.
std::optional<bool> askRpcbind(std::uint16_t port, const std::vector<std::uint8_t> &call,
                               std::uint32_t xid) {
    asio::io_context local;
    asio::ip::udp::socket socket(local);
    error_code error;
    socket.open(asio::ip::udp::v4(), error);
    const asio::ip::udp::endpoint rpcbind(asio::ip::address_v4::loopback(), port);
    if (!error) socket.send_to(asio::buffer(call), rpcbind, 0, error);
    if (error) return std::nullopt;
    std::array<std::uint8_t, 512> reply{};
    std::optional<bool> answer;
    asio::ip::udp::endpoint from;
    std::function<void()> wait = [&] {
        socket.async_receive_from(asio::buffer(reply), from, [&](error_code e, std::size_t n) {
            if (e) return;
            answer = vxi11::pmap::boolReply(std::span(reply.data(), n), xid);
            if (!answer) wait();  // someone else's datagram
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

PortmapperFront::PortmapperFront(asio::io_context &io, std::uint16_t corePort)
    : io_(io), mapper_(corePort), corePort_(corePort), udp_(io), tcp_(io) {}

PortmapperFront::~PortmapperFront() {
    close();
}

std::string PortmapperFront::start(const asio::ip::address &address, std::uint16_t port) {
    error_code error;
    tcp_.open(asio::ip::tcp::endpoint(address, port).protocol(), error);
    if (!error) tcp_.set_option(asio::socket_base::reuse_address(true), error);
    if (!error) tcp_.bind({address, port}, error);
    if (!error) tcp_.listen(asio::socket_base::max_listen_connections, error);
    // No SO_REUSEADDR on UDP: it would share the port with a running rpcbind.
    if (!error) udp_.open(asio::ip::udp::endpoint(address, port).protocol(), error);
    if (!error) udp_.bind({address, port}, error);
    if (!error) {
        how_ = "the portmapper on " + address.to_string() + ":" + std::to_string(port) +
               " (UDP and TCP)";
        receive();
        accept();
        return {};
    }
    tcp_.close();
    udp_.close();
    if (error == asio::error::address_in_use) return registerWithRpcbind(port);
    if (error == asio::error::access_denied)
        return "port " + std::to_string(port) + ": " + error.message() +
               " (binding it needs CAP_NET_BIND_SERVICE)";
    return "port " + std::to_string(port) + ": " + error.message();
}

std::string PortmapperFront::registerWithRpcbind(std::uint16_t port) {
    const auto mapping = coreMapping(corePort_);
    // A stale entry of an earlier run would make SET fail: clear it first.
    askRpcbind(port, vxi11::pmap::unsetCall(0x7a7a0001, mapping), 0x7a7a0001);
    const auto set = askRpcbind(port, vxi11::pmap::setCall(0x7a7a0002, mapping), 0x7a7a0002);
    if (!set) return "port " + std::to_string(port) + " is taken and no rpcbind answers there";
    if (!*set) return "the rpcbind on port " + std::to_string(port) + " refused the core port";
    registeredAt_ = port;
    how_ = "registered with the system's rpcbind on 127.0.0.1:" + std::to_string(port);
    return {};
}

void PortmapperFront::receive() {
    udp_.async_receive_from(
        asio::buffer(datagram_), sender_, [this](error_code error, std::size_t n) {
            if (error == asio::error::operation_aborted || !udp_.is_open()) return;
            if (!error) {
                const auto reply = mapper_.handleCall(std::span(datagram_.data(), n));
                error_code ignored;
                if (!reply.empty()) udp_.send_to(asio::buffer(reply), sender_, 0, ignored);
            }
            receive();
        });
}

void PortmapperFront::accept() {
    tcp_.async_accept([this](error_code error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted || !tcp_.is_open()) return;
        if (!error && clients_.size() < kMaxMapperClients) {
            auto client = std::make_shared<TcpClient>(std::move(socket), mapper_);
            client->finished = [this](TcpClient *gone) {
                std::erase_if(clients_, [gone](const auto &c) { return c.get() == gone; });
            };
            clients_.push_back(client);
            client->read();
        }
        accept();  // past the bound the newcomer's socket closes here
    });
}

void PortmapperFront::close() {
    error_code ignored;
    tcp_.close(ignored);
    udp_.close(ignored);
    const auto clients = clients_;
    for (const auto &client : clients) client->end();
    if (registeredAt_) {
        const auto unset = askRpcbind(
            registeredAt_, vxi11::pmap::unsetCall(0x7a7a0003, coreMapping(corePort_)), 0x7a7a0003);
        if (!unset || !*unset) logLine("VXI-11: the rpcbind did not take back the core port");
        registeredAt_ = 0;
    }
}

}  // namespace zz::scpiserver
