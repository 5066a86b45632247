#include "server/vxi11_server.h"

#include "net/endpoint_text.h"
#include "net/log.h"
#include "server/vxi11_connection.h"

#include <algorithm>

namespace zz::server {

namespace asio = boost::asio;
using boost::system::error_code;

Vxi11Server::Vxi11Server(FrontContext &context)
    : context_(context),
      host_(context.instrument),
      listener_(context.io, context.gate, "VXI-11 client",
                [this](asio::ip::tcp::socket socket) { admit(std::move(socket)); }) {}

Vxi11Server::~Vxi11Server() = default;

Status Vxi11Server::listen(const asio::ip::tcp::endpoint &endpoint) {
    // The core is made before the first connection can come: create_link
    // tells the abort channel's port, this same one.
    const Status status = listener_.listen(endpoint);
    if (status)
        core_ =
            std::make_unique<vxi11::DeviceCore>(host_, vxi11::CoreOptions{kMaxVxi11Links, port()});
    return status;
}

void Vxi11Server::admit(asio::ip::tcp::socket socket) {
    if (connections_.size() >= kMaxVxi11Connections) {
        error_code ignored;
        net::logLine("VXI-11 client " + net::peerText(socket) + " refused: all " +
                     std::to_string(kMaxVxi11Connections) + " connections taken");
        socket.close(ignored);
        return;
    }
    const auto connection = connections_.add([&](auto finished) {
        return std::make_shared<Vxi11Connection>(std::move(socket), context_, *core_, nextId_++,
                                                 std::move(finished));
    });
    net::logLine(connection->peer() + " connected");
    connection->start();
}

void Vxi11Server::close() {
    listener_.close();
    connections_.closeAll("closed by the server");
}

}  // namespace zz::server
