#include "vxi11_server.h"

#include "server_log.h"
#include "vxi11_connection.h"

#include <boost/asio/ip/v6_only.hpp>

#include <algorithm>

namespace zz::scpiserver {

namespace asio = boost::asio;
using boost::system::error_code;

Vxi11Server::Vxi11Server(ScpiContext &context)
    : context_(context), host_(context.instrument), acceptor_(context.io) {}

Vxi11Server::~Vxi11Server() = default;

std::string Vxi11Server::listen(const asio::ip::tcp::endpoint &endpoint) {
    error_code error;
    acceptor_.open(endpoint.protocol(), error);
    if (!error) acceptor_.set_option(asio::socket_base::reuse_address(true), error);
    if (!error && endpoint.address().is_v6()) acceptor_.set_option(asio::ip::v6_only(true), error);
    if (!error) acceptor_.bind(endpoint, error);
    if (!error) acceptor_.listen(asio::socket_base::max_listen_connections, error);
    if (error) {
        acceptor_.close();
        return error.message();
    }
    // The abort channel is served on the same port: create_link tells it.
    core_ = std::make_unique<vxi11::DeviceCore>(host_, vxi11::CoreOptions{16, port()});
    accept();
    return {};
}

std::uint16_t Vxi11Server::port() const {
    error_code error;
    const auto local = acceptor_.local_endpoint(error);
    return error ? 0 : local.port();
}

std::string Vxi11Server::address() const {
    error_code error;
    const auto local = acceptor_.local_endpoint(error);
    return error ? std::string("?") : endpointText(local);
}

void Vxi11Server::accept() {
    acceptor_.async_accept([this](error_code error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
        if (!error) admit(std::move(socket));
        accept();
    });
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
    error_code ignored;
    acceptor_.close(ignored);
    const auto connections = connections_;
    for (const auto &connection : connections) connection->close("closed by the server");
}

}  // namespace zz::scpiserver
