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
    const std::string where = "port " + std::to_string(port) + ": ";
    // The system's rpcbind may hold the port; registering with it needs no
    // privileges, so it is asked before binding is given up as not allowed.
    const bool denied = error == asio::error::access_denied;
    if (error != asio::error::address_in_use && !denied) return where + error.message();
    if (const auto registered = registerWithRpcbind(port)) return *registered;
    if (denied)
        return where + error.message() +
               " (binding it needs CAP_NET_BIND_SERVICE), and no rpcbind answers there";
    return where + "taken, and no rpcbind answers there";
}

std::optional<std::string> PortmapperFront::registerWithRpcbind(std::uint16_t port) {
    const auto mapping = coreMapping(corePort_);
    // A stale entry of an earlier run would make SET fail: clear it first.
    if (!askRpcbind(port, vxi11::pmap::unsetCall(0x7a7a0001, mapping), 0x7a7a0001))
        return std::nullopt;
    const auto set = askRpcbind(port, vxi11::pmap::setCall(0x7a7a0002, mapping), 0x7a7a0002);
    if (!set) return std::nullopt;
    if (!*set) return "the rpcbind on port " + std::to_string(port) + " refused the core port";
    registeredAt_ = port;
    how_ = "registered with the system's rpcbind on 127.0.0.1:" + std::to_string(port);
    return std::string();
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
