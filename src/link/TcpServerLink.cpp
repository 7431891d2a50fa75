#include "link/TcpServerLink.h"

#include "link/Frames.h"
#include "link/OperationLog.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace zvk {

TcpServerLink::TcpServerLink(OperationLog& log, QObject* parent)
    : TextLink(log, parent), m_server(new QTcpServer(this)) {
    connect(m_server, &QTcpServer::newConnection, this, &TcpServerLink::onNewConnection);
}

TcpServerLink::~TcpServerLink() {
    for (QTcpSocket* s : std::as_const(m_clients)) {
        s->disconnect(this);
        s->abort();
    }
}

quint16 TcpServerLink::boundPort() const {
    return m_server->serverPort();
}

bool TcpServerLink::isListening() const {
    return m_server->isListening();
}

bool TcpServerLink::activate(QString* error) {
    if (m_server->isListening())
        m_server->close();
    if (m_server->listen(QHostAddress::Any, m_port))
        return true;
    if (error)
        *error = QStringLiteral("Не удалось открыть сокет сервера на порту %1: %2")
                     .arg(m_port)
                     .arg(m_server->errorString());
    return false;
}

void TcpServerLink::deactivate() {
    m_server->close();
    closeAllClients();
}

void TcpServerLink::closeAllClients() {
    // Copy: each close may remove its socket from the list through the disconnected signal.
    const QList<QTcpSocket*> clients = m_clients;
    for (QTcpSocket* s : clients) {
        if (m_clients.contains(s))
            s->disconnectFromHost();
    }
}

QString TcpServerLink::addressText(const QTcpSocket& socket) {
    const QHostAddress address = socket.peerAddress();
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

int TcpServerLink::errorCode(int qtSocketError) {
    switch (QAbstractSocket::SocketError(qtSocketError)) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::RemoteHostClosedError:
        return 10054;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::NetworkError:
        return 10050;
    case QAbstractSocket::DatagramTooLargeError:
        return 10040;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    default:
        return qtSocketError;
    }
}

void TcpServerLink::onNewConnection() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_clients.append(socket);
        const QString address = addressText(*socket);
        // The peer address is gone once the socket has disconnected; keep it for the messages.
        socket->setProperty("zvkAddress", address);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { onDisconnected(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this,
                [this, socket, address](QAbstractSocket::SocketError e) {
                    // A peer that closes or resets its end is a departure, reported by disconnected().
                    if (e == QAbstractSocket::RemoteHostClosedError)
                        return;
                    Q_EMIT clientError(errorCode(e), address);
                });
        m_log.WriteInfToRich(QStringLiteral("Подключился клиент: IP=") + address);
        Q_EMIT clientConnected(address);
    }
}

void TcpServerLink::onReadyRead(QTcpSocket* socket) {
    const QByteArray data = socket->readAll();
    if (data.isEmpty())
        return;
    assemble(data);
    m_partialOwner = RxBuffer.isEmpty() ? nullptr : socket;
}

void TcpServerLink::handleLine(const QByteArray& line) {
    m_log.tcpReceived(line);
}

void TcpServerLink::onDisconnected(QTcpSocket* socket) {
    if (!m_clients.removeOne(socket))
        return;
    // A departed client's unfinished line must not become the start of another client's reply.
    if (m_partialOwner == socket)
        RxBuffer.clear();
    const QString address = socket->property("zvkAddress").toString();
    socket->deleteLater();
    Q_EMIT clientDisconnected(address);
}

void TcpServerLink::SendClientam(const QByteArray& text, int kind) {
    if (m_clients.isEmpty()) {
        m_log.tcpSent("ERROR: NO ACTIVE CONNECTIONS");
        return;
    }
    const QByteArray wire = text + terminatorBytes(kind);
    const QList<QTcpSocket*> clients = m_clients;
    for (QTcpSocket* s : clients) {
        if (!m_clients.contains(s))
            continue; // left while an earlier send let events run
        m_log.tcpSent(text);
        const qint64 written = s->state() == QAbstractSocket::ConnectedState ? s->write(wire) : -1;
        if (written != wire.size())
            m_log.tcpSent("ERROR SEND DATA");
    }
}

} // namespace zvk
