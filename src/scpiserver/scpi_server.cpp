#include "scpiserver/scpi_server.h"

#include "scpiserver/client_connection.h"
#include "scpiserver/server_log.h"

#include <QTcpSocket>

#include <algorithm>

namespace zz::scpiserver {

ScpiServer::ScpiServer(scpi::Instrument &instrument, QObject *parent)
    : QObject(parent), instrument_(instrument) {
    connect(&server_, &QTcpServer::newConnection, this, &ScpiServer::accept);
}

QString ScpiServer::listen(const QHostAddress &address, quint16 port) {
    if (server_.listen(address, port)) return {};
    return server_.errorString();
}

QString ScpiServer::address() const {
    const QHostAddress host = server_.serverAddress();
    const QString text = host.protocol() == QAbstractSocket::IPv6Protocol
                             ? "[" + host.toString() + "]"
                             : host.toString();
    return text + ":" + QString::number(server_.serverPort());
}

void ScpiServer::accept() {
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        const QString peer =
            socket->peerAddress().toString() + ":" + QString::number(socket->peerPort());
        if (int(clients_.size()) >= kMaxClients) {
            logLine(QString("%1 refused: %2 clients connected already")
                        .arg(peer)
                        .arg(kMaxClients)
                        .toStdString());
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            continue;
        }
        auto *client = new ClientConnection(socket, instrument_, this);
        clients_.push_back(client);
        logLine(QString("%1 connected (%2 of %3 clients)")
                    .arg(peer)
                    .arg(clients_.size())
                    .arg(kMaxClients)
                    .toStdString());
        connect(client, &ClientConnection::finished, this, [this](ClientConnection *gone) {
            clients_.erase(std::remove(clients_.begin(), clients_.end(), gone), clients_.end());
        });
    }
}

void ScpiServer::close() {
    server_.close();
    const auto clients = clients_;
    for (ClientConnection *client : clients) client->abort();
}

}  // namespace zz::scpiserver
