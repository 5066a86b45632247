#include "vxi11_server.h"

#include "server_log.h"
#include "vxi11_connection.h"

#include <algorithm>

namespace zz::scpiserver {

namespace asio = boost::asio;
using boost::system::error_code;

Vxi11Server::Vxi11Server(ScpiContext &context)
    : context_(context),
      host_(context.instrument),
      listener_(context.io, [this](asio::ip::tcp::socket socket) { admit(std::move(socket)); }) {}

Vxi11Server::~Vxi11Server() = default;

std::string Vxi11Server::listen(const asio::ip::tcp::endpoint &endpoint) {
    // The core is made before the first connection can come: create_link
    // tells the abort channel's port, this same one.
    const std::string error = listener_.listen(endpoint);
    if (error.empty())
        core_ = std::make_unique<vxi11::DeviceCore>(host_, vxi11::CoreOptions{16, port()});
    return error;
}

void Vxi11Server::admit(asio::ip::tcp::socket socket) {
    if (connections_.size() >= kMaxVxi11Connections) {
        error_code ignored;
        logLine("VXI-11 client " + endpointText(socket.remote_endpoint(ignored)) +
                " refused: all " + std::to_string(kMaxVxi11Connections) + " connections taken");
        socket.close(ignored);
        return;
    }
    auto connection = std::make_shared<Vxi11Connection>(
        std::move(socket), context_, *core_, nextId_++, [this](Vxi11Connection *gone) {
            std::erase_if(connections_, [gone](const auto &c) { return c.get() == gone; });
        });
    connections_.push_back(connection);
    logLine(connection->peer() + " connected");
    connection->start();
}

void Vxi11Server::close() {
    listener_.close();
    const auto connections = connections_;
    for (const auto &connection : connections) connection->close("closed by the server");
}

}  // namespace zz::scpiserver
