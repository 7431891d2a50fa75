#include "carriers/TcpCarrier.h"

namespace zvk::sim {

namespace {
constexpr int BusyRetryMs = 500;
}

TcpCarrier::TcpCarrier(Endpoint& endpoint, const QElapsedTimer& clock, const TrafficLog& log, QString host,
                       quint16 port, int reconnectMs, std::function<bool()> busy, QObject* parent)
    : Carrier("tcp", endpoint, clock, log, parent), m_host(std::move(host)), m_port(port),
      m_reconnectMs(reconnectMs), m_busy(std::move(busy)) {
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, &TcpCarrier::connectNow);
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        m_endpoint.reset();
        m_log.detail(QStringLiteral("connected to %1:%2").arg(m_host).arg(m_port));
    });
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { received(m_socket.readAll()); });
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpCarrier::onDisconnected);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        // A refused or failed connect never reaches "disconnected".
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            scheduleReconnect();
    });
}

void TcpCarrier::start() {
    if (m_started)
        return;
    m_started = true;
    connectNow();
}

void TcpCarrier::connectNow() {
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        return;
    if (m_busy && m_busy()) {
        m_reconnect.start(BusyRetryMs);
        return;
    }
    m_socket.connectToHost(m_host, m_port);
}

void TcpCarrier::onDisconnected() {
    lineLost();
    m_log.detail(QStringLiteral("connection to %1:%2 ended").arg(m_host).arg(m_port));
    scheduleReconnect();
}

void TcpCarrier::scheduleReconnect() {
    if (!m_reconnect.isActive())
        m_reconnect.start(m_reconnectMs);
}

bool TcpCarrier::writeBytes(const QByteArray& bytes) {
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        return false;
    return m_socket.write(bytes) == bytes.size();
}

void TcpCarrier::act(LineAction action) {
    if (action == LineAction::EndSession && m_socket.state() == QAbstractSocket::ConnectedState)
        m_socket.disconnectFromHost(); // sends what is still buffered, then closes
}

} // namespace zvk::sim
