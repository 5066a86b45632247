#include "scpiserver/client_connection.h"

#include "program/stop_signals.h"
#include "scpiserver/server_log.h"

#include <QTcpSocket>

namespace zz::scpiserver {

namespace {

constexpr qint64 kReadChunk = 4096;

}  // namespace

ClientConnection::ClientConnection(QTcpSocket *socket, scpi::Instrument &instrument,
                                   QObject *parent)
    : QObject(parent),
      socket_(socket),
      peer_(socket->peerAddress().toString() + ":" + QString::number(socket->peerPort())),
      session_(instrument) {
    socket_->setParent(this);
    // Qt stops reading the socket when this is full, so a client that sends
    // faster than the box takes commands is held back by TCP itself.
    socket_->setReadBufferSize(scpi::kMaxLine);
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket_, &QTcpSocket::readyRead, this, &ClientConnection::queueTurn);
    // Whole lines already received are still carried out after a hang-up.
    connect(socket_, &QTcpSocket::disconnected, this, &ClientConnection::queueTurn);
    queueTurn();
}

void ClientConnection::queueTurn() {
    if (turnQueued_ || ended_) return;
    turnQueued_ = true;
    QMetaObject::invokeMethod(this, &ClientConnection::takeTurn, Qt::QueuedConnection);
}

// One line per turn: the other clients' lines come in between.
void ClientConnection::takeTurn() {
    turnQueued_ = false;
    if (ended_ || program::stopSignal()) return;
    if (pending_.empty() && !fillPending()) {
        if (socket_->state() == QAbstractSocket::UnconnectedState) {
            const auto left = splitter_.pending();
            end(left ? QString("closed, an unfinished line of %1 bytes discarded").arg(left)
                     : QString("closed"));
        }
        return;
    }
    const scpi::InputLine line = std::move(pending_.front());
    pending_.pop_front();
    if (line.overrun) {
        session_.inputOverrun();
        logLine(peer_.toStdString() + ": a line longer than 64 KiB discarded");
    } else {
        answer(session_.execute(line.text));
    }
    queueTurn();
}

bool ClientConnection::fillPending() {
    while (pending_.empty() && socket_->bytesAvailable() > 0) {
        const QByteArray chunk = socket_->read(kReadChunk);
        for (auto &line : splitter_.feed({chunk.constData(), std::size_t(chunk.size())}))
            pending_.push_back(std::move(line));
    }
    return !pending_.empty();
}

void ClientConnection::answer(const std::string &answers) {
    if (answers.empty() || socket_->state() != QAbstractSocket::ConnectedState) return;
    socket_->write(answers.data(), qint64(answers.size()));
    if (socket_->bytesToWrite() > kOutputBound) {
        socket_->abort();
        end(QString("dropped: more than %1 KiB of answers not read").arg(kOutputBound / 1024));
    }
}

void ClientConnection::abort() {
    socket_->flush();  // answers already given still go out when the kernel takes them
    socket_->disconnectFromHost();
    if (socket_->state() != QAbstractSocket::UnconnectedState) socket_->abort();
    end("closed by the server");
}

void ClientConnection::end(const QString &why) {
    if (ended_) return;
    ended_ = true;
    logLine((peer_ + " " + why).toStdString());
    socket_->disconnect(this);
    emit finished(this);
    deleteLater();
}

}  // namespace zz::scpiserver
