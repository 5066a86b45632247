#include "server/scpi_server.h"

#include "net/endpoint_text.h"
#include "net/log.h"

#include <algorithm>

namespace zz::server {

namespace asio = boost::asio;

ScpiServer::ScpiServer(FrontContext &context, std::chrono::milliseconds idleLimit)
    : context_(context),
      slots_(kMaxClients, idleLimit, "clients"),
      listener_(context.io, context.gate, "SCPI client",
                [this](asio::ip::tcp::socket socket) { admit(std::move(socket)); }) {}

void ScpiServer::admit(asio::ip::tcp::socket socket) {
    const std::string peer = net::peerText(socket);
    const auto verdict =
        slots_.decide(clients_.lastHeard(), std::chrono::steady_clock::now(), peer);
    if (!verdict.admitted) {
        net::logLine(verdict.refusal);
        boost::system::error_code ignored;
        socket.close(ignored);
        return;
    }
    if (verdict.evicted) clients_.at(*verdict.evicted).close(verdict.eviction);
    const auto client = clients_.add([&](auto finished) {
        return std::make_shared<ScpiConnection>(std::move(socket), context_, std::move(finished));
    });
    net::logLine(peer + " connected " + slots_.occupancy(clients_.size()));
    client->start();
}

void ScpiServer::close() {
    listener_.close();
    clients_.closeAll("closed by the server");
}

}  // namespace zz::server
