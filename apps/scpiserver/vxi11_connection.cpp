#include "vxi11_connection.h"

#include "server_log.h"
#include "socket_options.h"

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>

namespace zz::scpiserver {

namespace asio = boost::asio;
using boost::system::error_code;

Vxi11Connection::Vxi11Connection(asio::ip::tcp::socket socket, ScpiContext &context,
                                 vxi11::DeviceCore &core, vxi11::ConnectionId id, Finished finished)
    : socket_(std::move(socket)),
      context_(context),
      core_(core),
      id_(id),
      finished_(std::move(finished)) {
    error_code error;
    const auto remote = socket_.remote_endpoint(error);
    peer_ = "VXI-11 client " + (error ? std::string("unknown peer") : endpointText(remote));
}

void Vxi11Connection::start() {
    tuneClientSocket(socket_);
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
        const bool queued =
            context_.link.push([self = shared_from_this(), call = std::move(*call)]() mutable {
                self->carryOut(std::move(call));
            });
        if (!queued) end("closed: the server stops");
        return;  // carryOut comes back here
    }
    send(stream_.output());
}

void Vxi11Connection::carryOut(std::vector<std::uint8_t> call) {
    if (context_.beginLine) context_.beginLine(peer_);
    auto reply = core_.handleCall(call, id_);
    asio::post(context_.io, [self = shared_from_this(), reply = std::move(reply)] {
        if (self->ended_) return;
        self->stream_.reply(reply);
        self->serveCalls();
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
    logLine(peer_ + " " + why);
    error_code ignored;
    socket_.close(ignored);
    // Its links go, and a lock they held, in the order of the link's jobs.
    context_.link.push([self = shared_from_this()] { self->core_.closeConnection(self->id_); });
    if (finished_) finished_(this);
}

}  // namespace zz::scpiserver
