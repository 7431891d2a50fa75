#pragma once
// The listening socket for controllers that connect over GPRS or LAN. All connected clients form
// one link: every command goes to every client, and every client's replies feed one receive
// buffer. The link state and the first status exchange belong to the connection control; this
// class only carries text and reports the clients' comings and goings.

#include "link/TextLink.h"

#include <QList>
#include <QPointer>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace zvk {

class TcpServerLink : public TextLink {
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 7778;

    explicit TcpServerLink(OperationLog& log, QObject* parent = nullptr);
    ~TcpServerLink() override;

    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    // The port actually bound (differs from port() only when port() is 0, in tests).
    quint16 boundPort() const;

    // Switches listening on. False with *error set when the port is in use or refused.
    bool activate(QString* error);
    // Switches listening off; like the socket it replaces, this also ends every client connection.
    void deactivate();
    bool isListening() const;

    int clientCount() const { return int(m_clients.size()); }
    // Sends text with the terminator of kind to every client, logging it once per client.
    void SendClientam(const QByteArray& text, int kind);
    void sendLine(const QByteArray& text, int kind) override { SendClientam(text, kind); }
    void closeAllClients();

    // The client's address in dotted decimal form (IPv4-mapped addresses unwrapped).
    static QString addressText(const QTcpSocket& socket);
    // Windows Sockets numbers for the errors an engineer may know them by.
    static int errorCode(int qtSocketError);

Q_SIGNALS:
    void clientConnected(const QString& address);
    void clientDisconnected(const QString& address);
    void clientError(int code, const QString& address);

protected:
    void handleLine(const QByteArray& line) override;

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void onDisconnected(QTcpSocket* socket);

    QTcpServer* m_server;
    quint16 m_port = DefaultPort;
    QList<QTcpSocket*> m_clients;
    QPointer<QTcpSocket> m_partialOwner; // the client whose bytes wait in RxBuffer
};

} // namespace zvk
