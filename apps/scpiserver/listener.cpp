#include "listener.h"

#include "scpi_connection.h"

#include <boost/asio/ip/v6_only.hpp>

namespace zz::scpiserver {

namespace asio = boost::asio;
using boost::system::error_code;

Listener::Listener(asio::io_context &io, Accepted accepted)
    : acceptor_(io), accepted_(std::move(accepted)) {}

std::string Listener::listen(const asio::ip::tcp::endpoint &endpoint) {
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
    accept();
    return {};
}

asio::ip::tcp::endpoint Listener::endpoint() const {
    error_code error;
    return acceptor_.local_endpoint(error);
}

std::string Listener::address() const {
    error_code error;
    const auto local = acceptor_.local_endpoint(error);
    return error ? std::string("?") : endpointText(local);
}

void Listener::close() {
    error_code ignored;
    acceptor_.close(ignored);
}

void Listener::accept() {
    acceptor_.async_accept([this](error_code error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
        if (!error) accepted_(std::move(socket));
        accept();
    });
}

}  // namespace zz::scpiserver
