#pragma once
// One client on its socket: its own parser and status (scpi::Session), its
// lines carried out one per turn of the event loop so that every client gets
// its turn, its input bounded (the socket's read buffer and the line bound)
// and its unread answers bounded: past kOutputBound it is dropped.

#include "scpi/line_splitter.h"
#include "scpi/session.h"

#include <QObject>
#include <QString>

#include <deque>

class QTcpSocket;

namespace zz::scpiserver {

inline constexpr qint64 kOutputBound = 1024 * 1024;

class ClientConnection : public QObject {
    Q_OBJECT

public:
    ClientConnection(QTcpSocket *socket, scpi::Instrument &instrument, QObject *parent);

    const QString &peer() const { return peer_; }
    // Drops the connection at once, whatever it still holds.
    void abort();

signals:
    // Closed by the client or dropped; the connection deletes itself later.
    void finished(zz::scpiserver::ClientConnection *connection);

private:
    void queueTurn();
    void takeTurn();
    bool fillPending();
    void answer(const std::string &answers);
    void end(const QString &why);

    QTcpSocket *socket_;
    QString peer_;
    scpi::Session session_;
    scpi::LineSplitter splitter_;
    std::deque<scpi::InputLine> pending_;  // whole lines not yet carried out
    bool turnQueued_ = false;
    bool ended_ = false;
};

}  // namespace zz::scpiserver
