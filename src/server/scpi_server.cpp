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
    std::vector<net::SteadyTime> heard;
    for (const auto &client : clients_) heard.push_back(client->lastHeard());
    const auto verdict = slots_.decide(heard, std::chrono::steady_clock::now(), peer);
    if (!verdict.admitted) {
        net::logLine(verdict.refusal);
        boost::system::error_code ignored;
        socket.close(ignored);
        return;
    }
    if (verdict.evicted) clients_[*verdict.evicted]->close(verdict.eviction);
    auto client =
        std::make_shared<ScpiConnection>(std::move(socket), context_, [this](ScpiConnection *gone) {
            std::erase_if(clients_, [gone](const auto &c) { return c.get() == gone; });
        });
    clients_.push_back(client);
    net::logLine(peer + " connected " + slots_.occupancy(clients_.size()));
    client->start();
}

void ScpiServer::close() {
    listener_.close();
    const auto clients = clients_;
    for (const auto &client : clients) client->close("closed by the server");
}

}  // namespace zz::server
