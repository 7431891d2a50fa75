#pragma once
// Connection control: the connect and disconnect operations over the cable, a data call or TCP, the
// TCP clients' arrivals, first status exchanges, departures and errors, the request that sends a
// cable-connected controller off to the configurator server, and the listening socket's pauses.
// The link label and the caption follow from LinkState, which the window renders.

#include "status/StatusPoll.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace zvk {

class LinkState;
class OperationLog;
class OperationUi;
class RequestEngine;
class SerialLink;
class TcpServerLink;

// What the connect operation needs from a modem on the serial port.
class Dialler {
public:
    struct Result {
        bool connected = false;
        QString outcome; // the message when the call did not connect
    };
    virtual ~Dialler() = default;
    virtual Result dial(const QByteArray& number) = 0;
    // The controller stayed silent on a connected call: back to command mode, hang up.
    virtual void hangUpAfterSilence() = 0;
};

class Connection : public QObject {
    Q_OBJECT
public:
    static constexpr int ClientConnectDelayMs = 100; // Timer_ClientConnect
    static constexpr int ClientStatusSteps = 20;
    static constexpr int ConnectStatusSteps = 25;
    static constexpr int ModbusWaitMs = 500;
    // A client's first exchange that cannot run yet (another request is outstanding) is retried.
    static constexpr int ClientRetryMs = 100;

    static inline const QString Connected = QStringLiteral(" Соединение установлено ...");
    static inline const QString Polled = QStringLiteral(" Соединеие установлено, блок  успешно опрошен. ");
    static inline const QString TcpPolled =
        QStringLiteral(" TCP-cоединеие установлено, блок  успешно опрошен. ");
    static inline const QString Ended = QStringLiteral(" Соединение разорвано. ");

    Connection(LinkState& state, SerialLink& serial, TcpServerLink& tcp, RequestEngine& engine,
               OperationLog& log, OperationUi& ui, StatusTarget status, QObject* parent = nullptr);

    void setDialler(Dialler* dialler) { m_dialler = dialler; }
    // Timer3_AP: stopped when a link ends, started after a successful first status read.
    void setPollTimer(QTimer* timer) { m_pollTimer = timer; }
    // CheckBox1 "Включить".
    void setPollSwitch(std::function<bool()> on) { m_pollSwitch = std::move(on); }
    // Opens the serial port as "Open  COM-port" does (reporting its own errors); true when open.
    void setPortOpener(std::function<bool()> open) { m_openPort = std::move(open); }

    // Listening socket. A port that is in use or refused gives an error box; the tool then runs
    // without listening until a later activation succeeds.
    bool startListening(quint16 port);   // when the main window is first shown
    bool restartListening(quint16 port); // when the settings dialog closes; drops the clients

    // sBitBtn9Click: connect over the cable or by a data call to number.
    void Connect(const QByteArray& number);
    // Ends the connection locally; sends nothing.
    void DECONECT();
    // sBitBtn10Click, "   DISCONNECT".
    void Disconnect();
    // BitBtn6Click, "res".
    void Reset();
    // sBitBtn25Click: asks a controller on a Modbus cable to connect to the configurator server.
    void RequestServer();

    // TCP clients (ServerSocket1 events).
    void ServerSocket1ClientConnect(const QString& address);
    void Timer_ClientConnectTimer();
    void ServerSocket1ClientDisconnect(const QString& address);
    void ServerSocket1ClientError(int code, const QString& address);

    // The connect operation or a client's first exchange runs: it holds the link without Busy.
    bool inOperation() const { return m_connecting || m_clientExchange; }
    QTimer& clientConnectTimer() { return m_clientConnect; }

private:
    QString connectSerial(const QByteArray& number);
    QString firstStatusRead();
    void established(const QString& message);
    void pauseListening();
    void resumeListening(const QString& infoLine);
    bool activateListening();
    void startPoll();
    void stopPoll();

    LinkState& m_state;
    SerialLink& m_serial;
    TcpServerLink& m_tcp;
    RequestEngine& m_engine;
    OperationLog& m_log;
    OperationUi& m_ui;
    StatusTarget m_status;
    Dialler* m_dialler = nullptr;
    QTimer* m_pollTimer = nullptr;
    std::function<bool()> m_pollSwitch;
    std::function<bool()> m_openPort;
    QTimer m_clientConnect; // Timer_ClientConnect
    bool m_connecting = false;
    bool m_clientExchange = false;
    // Set while the tool itself has switched listening off (a serial connect, a port change):
    // the clients it drops must not switch it on again.
    bool m_holdListening = false;
};

} // namespace zvk
