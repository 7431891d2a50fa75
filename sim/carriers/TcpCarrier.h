#pragma once
// The GPRS/LAN link: a TCP client that connects to the tool's listening socket, and connects
// again a little after the connection ends, for whatever reason.

#include "carriers/Carrier.h"

#include <QTcpSocket>
#include <QTimer>
#include <functional>

namespace zvk::sim {

class TcpCarrier : public Carrier {
    Q_OBJECT
public:
    TcpCarrier(Endpoint& endpoint, const QElapsedTimer& clock, const TrafficLog& log, QString host,
               quint16 port, int reconnectMs, std::function<bool()> busy, QObject* parent = nullptr);

    void start();
    bool started() const { return m_started; }

protected:
    bool writeBytes(const QByteArray& bytes) override;
    void act(LineAction action) override;

private:
    void connectNow();
    void onDisconnected();
    void scheduleReconnect();

    QString m_host;
    quint16 m_port;
    int m_reconnectMs;
    std::function<bool()> m_busy; // the controller cannot connect now (it is rebooting)
    QTcpSocket m_socket;
    QTimer m_reconnect;
    bool m_started = false;
};

} // namespace zvk::sim
