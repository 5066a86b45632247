#include "server/vxi11_connection.h"

#include "net/endpoint_text.h"
#include "net/log.h"
#include "net/socket_options.h"

#include <boost/asio/write.hpp>

namespace zz::server {

namespace asio = boost::asio;
using boost::system::error_code;

Vxi11Connection::Vxi11Connection(asio::ip::tcp::socket socket, FrontContext &context,
                                 vxi11::DeviceCore &core, vxi11::ConnectionId id, Finished finished)
    : socket_(std::move(socket)),
      context_(context),
      core_(core),
      id_(id),
      finished_(std::move(finished)),
      peer_("VXI-11 client " + net::peerText(socket_)),
      retry_(socket_.get_executor()) {}

void Vxi11Connection::start() {
    net::tuneClientSocket(socket_);
    read();
}

void Vxi11Connection::read() {
    socket_.async_read_some(asio::buffer(buffer_),
                            [self = shared_from_this()](error_code error, std::size_t n) {
                                if (self->ended_) return;
                                if (error) {
                                    self->end("closed");
                                    return;
                                }
                                self->stream_.take(std::span(self->buffer_.data(), n));
                                self->serveCalls();
                            });
}

void Vxi11Connection::serveCalls() {
    while (auto call = stream_.nextCall()) {
        if (const auto reply = core_.handleCallUnlessToTheBox(*call, id_)) {
            stream_.reply(*reply);
            continue;
        }
        // A device_read whose answer waits for a run's end waits up to its io_timeout.
        const auto timeout = vxi11::DeviceCore::readTimeout(*call).value_or(0);
        waitUntil_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
        serveOnTheLink(std::make_shared<std::vector<std::uint8_t>>(std::move(*call)));
        return;
    }
    send(stream_.output());
}

// The reply goes out in order: nothing more of this connection is read or
// served until it has come back.
void Vxi11Connection::serveOnTheLink(std::shared_ptr<std::vector<std::uint8_t>> call) {
    const bool mayWait = std::chrono::steady_clock::now() < waitUntil_;
    const bool queued = context_.link.hop(
        [self = shared_from_this(), call, mayWait] {
            self->context_.box.setSender(self->peer_);
            if (!mayWait) return std::optional(self->core_.handleCall(*call, self->id_));
            return self->core_.handleCallOrWait(*call, self->id_);
        },
        [self = shared_from_this(), call](std::optional<std::vector<std::uint8_t>> reply) {
            if (self->ended_) return;
            if (!reply) return self->askAgain(call);
            self->stream_.reply(*reply);
            self->serveCalls();
        });
    if (!queued) end("closed: the server stops");
}

void Vxi11Connection::askAgain(std::shared_ptr<std::vector<std::uint8_t>> call) {
    retry_.expires_after(kReadPoll);
    retry_.async_wait([self = shared_from_this(), call](error_code error) {
        if (!error && !self->ended_) self->serveOnTheLink(call);
    });
}

void Vxi11Connection::send(vxi11::RpcStream::Output output) {
    if (ended_) return;
    if (output.bytes.empty()) {
        if (output.close)
            end("closed: not an RPC call, or a record past the bound");
        else
            read();
        return;
    }
    writing_ = std::move(output.bytes);
    asio::async_write(
        socket_, asio::buffer(writing_),
        [self = shared_from_this(), close = output.close](error_code error, std::size_t) {
            if (self->ended_) return;
            if (error)
                self->end("closed");
            else if (close)
                self->end("closed: not an RPC call, or a record past the bound");
            else
                self->read();
        });
}

void Vxi11Connection::close(const std::string &why) {
    end(why);
}

void Vxi11Connection::end(const std::string &why) {
    if (ended_) return;
    ended_ = true;
    retry_.cancel();
    net::logLine(peer_ + " " + why);
    error_code ignored;
    socket_.close(ignored);
    // Its links go, and a lock they held, in the order of the link's jobs.
    context_.link.push([self = shared_from_this()] { self->core_.closeConnection(self->id_); });
    if (finished_) finished_(this);
}

}  // namespace zz::server
