#include "link/Connection.h"

#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationFrame.h"
#include "link/OperationLog.h"
#include "link/OperationUi.h"
#include "link/RequestEngine.h"
#include "link/SerialLink.h"
#include "link/TcpServerLink.h"

#include <QScopedValueRollback>

namespace zvk {

namespace {

const QString StatusRequest = QStringLiteral(" Запрос текущего состояния ...");

QString wrongReply(const QByteArray& line) {
    return Outcome::WrongReply + fromWire(line);
}

} // namespace

Connection::Connection(LinkState& state, SerialLink& serial, TcpServerLink& tcp, RequestEngine& engine,
                       OperationLog& log, OperationUi& ui, StatusTarget status, QObject* parent)
    : QObject(parent), m_state(state), m_serial(serial), m_tcp(tcp), m_engine(engine), m_log(log), m_ui(ui),
      m_status(status) {
    m_clientConnect.setSingleShot(true);
    m_clientConnect.setInterval(ClientConnectDelayMs);
    connect(&m_clientConnect, &QTimer::timeout, this, &Connection::Timer_ClientConnectTimer);
    connect(&m_serial, &SerialLink::connectionEnded, this, &Connection::DECONECT);
    // A vanished port ends a serial connection as a lost carrier would.
    connect(&m_serial, &SerialLink::portLost, this, [this] {
        if (m_state.LinkUp() && !m_state.TcpLinkUp())
            DECONECT();
    });
    connect(&m_tcp, &TcpServerLink::clientConnected, this, &Connection::ServerSocket1ClientConnect);
    connect(&m_tcp, &TcpServerLink::clientDisconnected, this, &Connection::ServerSocket1ClientDisconnect);
    connect(&m_tcp, &TcpServerLink::clientError, this, &Connection::ServerSocket1ClientError);
}

// --- Listening socket ---------------------------------------------------------------------------

bool Connection::activateListening() {
    QString error;
    if (m_tcp.activate(&error))
        return true;
    m_ui.errorBox(error);
    return false;
}

bool Connection::startListening(quint16 port) {
    m_tcp.setPort(port);
    if (!activateListening())
        return false;
    m_log.WriteInfToRich(QStringLiteral("Старт прослушивания сокета"));
    return true;
}

bool Connection::restartListening(quint16 port) {
    const bool held = m_holdListening;
    m_holdListening = true;
    m_tcp.setPort(port);
    m_tcp.deactivate();
    m_holdListening = held;
    // A serial connect in progress switches listening on again itself when it fails.
    if (held)
        return true;
    return activateListening();
}

void Connection::pauseListening() {
    m_holdListening = true;
    m_tcp.deactivate();
    m_log.WriteInfToRich(QStringLiteral("Приостановка прослушивания сокета"));
    // Switching listening off dropped the clients; a departure still on its way must not leave
    // the requests of this connect going to TCP.
    m_state.setTcpLinkUp(false);
}

void Connection::resumeListening(const QString& infoLine) {
    if (!m_tcp.isListening() && !activateListening())
        return;
    m_log.WriteInfToRich(infoLine);
}

void Connection::startPoll() {
    if (m_pollTimer)
        m_pollTimer->start();
}

void Connection::stopPoll() {
    if (m_pollTimer)
        m_pollTimer->stop();
}

// --- Serial connect -----------------------------------------------------------------------------

void Connection::Connect(const QByteArray& number) {
    // A second click while this one waits would share its wait and hang up its call.
    if (m_connecting)
        return;
    if (!m_serial.isOpen()) {
        if (m_openPort)
            m_openPort();
        if (!m_serial.isOpen()) {
            m_ui.warningBox(QStringLiteral("Не открыт СОМ-порт !"));
            return;
        }
    }
    const bool modem = m_state.ModemPresent() == 1;
    if (modem && number.isEmpty()) {
        m_ui.warningBox(QStringLiteral("Введите телефонный номер блока!"));
        return;
    }
    if (m_state.LinkUp())
        return;
    // Clicked inside another request's wait or operation (a modem being set up, a probe): the dial
    // or greeting would be refused or mixed into it, and a hang-up would go into the other exchange.
    if (m_engine.lineInUse())
        return;

    QString result;
    {
        const QScopedValueRollback running(m_connecting, true);
        m_ui.showProgress();
        m_ui.addProgress(QString());
        pauseListening();
        if (modem)
            m_ui.addProgress(QStringLiteral(" Звонок по указанному номеру ..."));
        m_ui.addProgress(QStringLiteral(" Ожидание соединения ..."));
        result = connectSerial(number);
        m_holdListening = false;
    }
    if (!m_state.LinkUp())
        resumeListening(QStringLiteral("Восстановление прослушивания сокета"));
    m_ui.addProgress(result);
    m_ui.setStatusPanel(1, result);
    m_ui.closeProgress();
}

QString Connection::connectSerial(const QByteArray& number) {
    if (m_state.ModemPresent() == 1) {
        if (!m_dialler)
            return Outcome::NoReply;
        const Dialler::Result call = m_dialler->dial(number);
        if (!call.connected)
            return call.outcome;
    } else if (m_state.cableMode() == CableModbus) {
        if (!m_engine.Opros_ModBus(ModbusFrames::readStatus(), ModbusFrames::ReadStatusReplyLength,
                                   ModbusWaitMs))
            return Outcome::NoModbusReply;
        const QByteArray reply = m_engine.LastModbusReply;
        established(Connected);
        const AcceptedStatus status =
            acceptStatus(modbusStatusText(reply), StatusSource::CableModbus, m_status, m_ui, Polled);
        if (status.ok && m_pollSwitch && m_pollSwitch())
            startPoll();
        return status.message;
    } else {
        const int r = m_engine.Ozidanie("SET_CONFIG_MODE?", "ZVKOK", TermCR, Match::Prefix,
                                        RequestEngine::ReplyTimeout);
        if (r == RequestEngine::OtherLine)
            return wrongReply(m_engine.LastLine);
        if (r != RequestEngine::Matched)
            return Outcome::NoReply;
    }
    established(Connected);
    return firstStatusRead();
}

QString Connection::firstStatusRead() {
    m_ui.addProgress(StatusRequest);
    const int r = m_engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, ConnectStatusSteps);
    // A silent controller: the flags stay up, the modem's carrier loss ends the connection.
    if (r == RequestEngine::NoLine && m_dialler)
        m_dialler->hangUpAfterSilence();
    const AcceptedStatus status = acceptStatusReply(r, m_engine.LastLine, wrongReply, m_status, m_ui, Polled);
    if (status.ok && m_pollSwitch && m_pollSwitch())
        startPoll();
    return status.message;
}

void Connection::established(const QString& message) {
    m_ui.addProgress(message);
    m_state.setLabel(LinkLabel::Established);
    m_state.setLinkUp(true);
    m_state.setDisconnectExpected(false);
}

// --- Ending a connection ------------------------------------------------------------------------

void Connection::DECONECT() {
    m_state.setLinkUp(false);
    m_state.setLabel(m_state.DisconnectExpected() ? LinkLabel::Absent : LinkLabel::Lost);
    stopPoll();
    m_ui.setStatusPanel(1, Ended);
    // While the tool holds listening off itself, whoever switched it off switches it on again.
    if (!m_holdListening)
        resumeListening(QStringLiteral("Возобновление прослушивания сокета"));
}

void Connection::Disconnect() {
    stopPoll();
    m_state.setDisconnectExpected(true);
    if (m_state.TcpLinkUp()) {
        m_tcp.SendClientam("ZVK+DISCONNECT", TermCR);
        m_tcp.closeAllClients();
        m_state.setTcpLinkUp(false);
    } else if (m_state.cableModbus()) {
        DECONECT();
    } else {
        // The controller answers "DISCONNECT", or the modem drops the call; either ends the link.
        m_serial.Sendstr("ZVK+DISCONNECT", TermCR);
    }
}

void Connection::Reset() {
    m_state.setDisconnectExpected(true);
    DECONECT();
}

void Connection::RequestServer() {
    // The request is a Modbus frame on the cable: only a controller on a Modbus cable can take it.
    if (!m_state.LinkUp() || !m_state.cableModbus() || m_engine.lineInUse())
        return;
    OperationFrame frame(m_state, m_ui, QStringLiteral(" Запрос подключения к серверу-конфигуратору ..."));
    if (!m_engine.Opros_ModBus(ModbusFrames::requestServer(), ModbusFrames::WriteEchoLength, ModbusWaitMs)) {
        frame.finish(Outcome::NoModbusReply);
        return;
    }
    stopPoll();
    m_state.setDisconnectExpected(true);
    // The controller now connects to the listening socket on its own.
    DECONECT();
    frame.finish(QStringLiteral(" Запрос успешно выполнен"));
}

// --- TCP clients --------------------------------------------------------------------------------

void Connection::ServerSocket1ClientConnect(const QString& address) {
    m_ui.addProgress(QString());
    m_ui.addProgress(QStringLiteral(" Подключился клиент: IP=") + address);
    m_state.setLinkUp(true);
    m_state.setTcpLinkUp(true);
    m_clientConnect.start(ClientConnectDelayMs);
}

void Connection::Timer_ClientConnectTimer() {
    m_clientConnect.stop();
    // Every client left before its exchange: nothing to talk to, and no link to mark up.
    if (m_tcp.clientCount() == 0)
        return;
    // Another request owns the receive state; the exchange follows once it is done.
    if (m_engine.lineInUse() || inOperation()) {
        m_clientConnect.start(ClientRetryMs);
        return;
    }
    const QScopedValueRollback running(m_clientExchange, true);
    m_ui.showProgress();
    m_ui.addProgress(QString());
    m_ui.addProgress(Connected);
    m_state.setLabel(LinkLabel::Established);
    m_state.setLinkUp(true);
    m_state.setTcpLinkUp(true);
    m_ui.addProgress(StatusRequest);
    const int r = m_engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, ClientStatusSteps);
    const AcceptedStatus status =
        acceptStatusReply(r, m_engine.LastLine, wrongReply, m_status, m_ui, TcpPolled);
    // A controller that connected by itself is polled whether or not the switch is on.
    if (status.ok)
        startPoll();
    m_ui.addProgress(status.message);
    m_ui.setStatusPanel(1, status.message);
    m_ui.closeProgress();
}

void Connection::ServerSocket1ClientDisconnect(const QString& address) {
    m_state.setLinkUp(false);
    m_state.setTcpLinkUp(false);
    if (m_tcp.clientCount() == 0) {
        m_clientConnect.stop();
        // A wait on clients that have all gone (a client's first exchange, a poll tick) would only
        // wait out its time with the buttons locked.
        if (m_clientExchange || m_engine.waitingOn() == &m_tcp)
            m_engine.abort();
    }
    DECONECT();
    m_log.WriteInfToRich(QStringLiteral("Отключился клиент: IP=") + address);
}

void Connection::ServerSocket1ClientError(int code, const QString& address) {
    const QString text = QStringLiteral("Сетевая ошибка № %1 клиента с IP=").arg(code) + address;
    m_log.WriteInfToRich(text);
    m_ui.setStatusPanel(1, text);
    m_state.setLinkUp(false);
}

} // namespace zvk
