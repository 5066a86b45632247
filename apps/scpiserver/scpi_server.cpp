#include "scpi_server.h"

#include "server_log.h"

#include <algorithm>

namespace zz::scpiserver {

namespace asio = boost::asio;
using boost::system::error_code;

namespace {

std::string durationText(std::chrono::milliseconds span) {
    const auto ms = span.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

}  // namespace

ScpiServer::ScpiServer(ScpiContext &context, std::chrono::milliseconds idleLimit)
    : context_(context),
      idleLimit_(idleLimit),
      listener_(context.io, [this](asio::ip::tcp::socket socket) { admit(std::move(socket)); }) {}

void ScpiServer::admit(asio::ip::tcp::socket socket) {
    error_code ignored;
    const auto remote = socket.remote_endpoint(ignored);
    const std::string peer = endpointText(remote);
    if (int(clients_.size()) >= kMaxClients) {
        std::vector<SteadyTime> heard;
        for (const auto &client : clients_) heard.push_back(client->lastHeard());
        const auto now = std::chrono::steady_clock::now();
        const auto evict = pickEviction(heard, now, idleLimit_);
        if (!evict) {
            logLine(peer + " refused: all " + std::to_string(kMaxClients) +
                    " clients heard from within the last " + durationText(idleLimit_));
            socket.close(ignored);
            return;
        }
        const auto silent =
            std::chrono::duration_cast<std::chrono::seconds>(now - heard[*evict]).count();
        clients_[*evict]->close("closed: silent for " + std::to_string(silent) +
                                " s, its slot given to " + peer);
    }
    auto client =
        std::make_shared<ScpiConnection>(std::move(socket), context_, [this](ScpiConnection *gone) {
            std::erase_if(clients_, [gone](const auto &c) { return c.get() == gone; });
        });
    clients_.push_back(client);
    logLine(peer + " connected (" + std::to_string(clients_.size()) + " of " +
            std::to_string(kMaxClients) + " clients)");
    client->start();
}

void ScpiServer::close() {
    listener_.close();
    const auto clients = clients_;
    for (const auto &client : clients) client->close("closed by the server");
}

}  // namespace zz::scpiserver
