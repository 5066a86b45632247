#pragma once
// The listening socket and its clients, at most kMaxClients at once; one
// more is closed at once and logged. Everything runs on one event loop, so
// the commands of all clients reach the box one at a time, each whole.

#include "scpi/instrument.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <vector>

namespace zz::scpiserver {

class ClientConnection;

inline constexpr int kMaxClients = 16;

class ScpiServer : public QObject {
    Q_OBJECT

public:
    explicit ScpiServer(scpi::Instrument &instrument, QObject *parent = nullptr);

    // The reason when it cannot listen; empty on success.
    QString listen(const QHostAddress &address, quint16 port);
    QString address() const;  // "127.0.0.1:5025" as bound
    // Stops listening and drops every client.
    void close();

private:
    void accept();

    scpi::Instrument &instrument_;
    QTcpServer server_;
    std::vector<ClientConnection *> clients_;
};

}  // namespace zz::scpiserver
