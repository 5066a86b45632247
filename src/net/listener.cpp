#include "net/listener.h"

#include "net/endpoint_text.h"

#include <boost/asio/ip/v6_only.hpp>

namespace zz::net {

namespace asio = boost::asio;
using boost::system::error_code;

Status listenOn(asio::ip::tcp::acceptor &acceptor, const asio::ip::tcp::endpoint &endpoint) {
    error_code error;
    acceptor.open(endpoint.protocol(), error);
    if (!error) acceptor.set_option(asio::socket_base::reuse_address(true), error);
    if (!error && endpoint.address().is_v6()) acceptor.set_option(asio::ip::v6_only(true), error);
    if (!error) acceptor.bind(endpoint, error);
    if (!error) acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (!error) return {};
    const Status failure = Status::failure(error.value(), error.message());
    acceptor.close(error);
    return failure;
}

Listener::Listener(asio::io_context &io, Gate &gate, std::string kind, Accepted accepted)
    : acceptor_(io), gate_(gate), kind_(std::move(kind)), accepted_(std::move(accepted)) {}

Status Listener::listen(const asio::ip::tcp::endpoint &endpoint) {
    const Status status = listenOn(acceptor_, endpoint);
    if (status) accept();
    return status;
}

asio::ip::tcp::endpoint Listener::endpoint() const {
    error_code error;
    return acceptor_.local_endpoint(error);
}

std::string Listener::address() const {
    return localText(acceptor_);
}

void Listener::close() {
    error_code ignored;
    acceptor_.close(ignored);
}

void Listener::accept() {
    acceptor_.async_accept([this](error_code error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
        if (!error) {
            error_code gone;
            const auto remote = socket.remote_endpoint(gone);
            if (!gone && gate_.admits(remote.address(), kind_ + " " + endpointText(remote)))
                accepted_(std::move(socket));
            else
                socket.close(gone);
        }
        accept();
    });
}

}  // namespace zz::net
