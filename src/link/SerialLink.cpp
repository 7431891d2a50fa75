#include "link/SerialLink.h"

#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationLog.h"

#include <QRegularExpression>

namespace zvk {

namespace {
// The lines the modem-status trigger watched: CTS, DSR, RI and DCD.
constexpr int WatchedPins = QSerialPort::ClearToSendSignal | QSerialPort::DataSetReadySignal |
                            QSerialPort::RingIndicatorSignal | QSerialPort::DataCarrierDetectSignal;
// Qt has no status-change signal, so the lines are sampled while the port is open.
constexpr int StatusWatchMs = 50;
} // namespace

SerialLink::SerialLink(LinkState& state, OperationLog& log, QObject* parent)
    : TextLink(log, parent), m_state(state) {
    m_statusWatch.setInterval(StatusWatchMs);
    connect(&m_statusWatch, &QTimer::timeout, this, &SerialLink::pollPinout);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::~SerialLink() {
    m_port.close();
}

int SerialLink::numberForPort(const QString& portName) {
    static const QRegularExpression numbered(QStringLiteral("^(?:/dev/)?ttyS(\\d{1,3})$"));
    const auto m = numbered.match(portName);
    return m.hasMatch() ? m.captured(1).toInt() + 1 : 0;
}

QString SerialLink::portForNumber(int number) {
    return number > 0 ? QStringLiteral("/dev/ttyS%1").arg(number - 1) : QString();
}

void SerialLink::setPortCaption(const QString& caption) {
    m_portCaption = caption;
    Q_EMIT captionsChanged();
}

QString SerialLink::openButtonCaption() const {
    return isOpen() ? QStringLiteral("Close  COM-port") : QStringLiteral("Open  COM-port");
}

void SerialLink::InitCOM() {
    m_port.setBaudRate(QSerialPort::Baud9600);
    const int n = portNumber();
    if (n > 0)
        setPortCaption(QStringLiteral(" COM-port : COM-%1 ").arg(n));
    else if (hasPort())
        setPortCaption(QStringLiteral(" COM-port : ") + m_portName + QStringLiteral(" "));
    else
        setPortCaption(QStringLiteral("COM-port : Not select "));
}

bool SerialLink::open(QString* error) {
    if (m_port.isOpen())
        return true;
    if (!hasPort()) {
        if (error)
            *error = QStringLiteral("COM-порт не выбран");
        return false;
    }
    m_port.setPortName(m_portName);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (error)
            *error = QStringLiteral("Не удалось открыть порт %1: %2").arg(m_portName, m_port.errorString());
        m_port.clearError();
        Q_EMIT captionsChanged();
        return false;
    }
    // RTS is raised whenever the port is open; a port without modem lines just ignores it.
    m_port.setRequestToSend(true);
    m_port.clearError();
    RxBuffer.clear();
    InitCOM();
    m_lastPinout = -1;
    pollPinout();
    if (m_lastPinout >= 0)
        m_statusWatch.start();
    Q_EMIT captionsChanged();
    Q_EMIT opened();
    return true;
}

void SerialLink::close() {
    m_statusWatch.stop();
    if (m_port.isOpen())
        m_port.close();
    BinaryRxMode = false;
    Q_EMIT captionsChanged();
}

void SerialLink::writeRaw(const QByteArray& wire) {
    if (!m_port.isOpen())
        return;
    // Stale input goes, so the reply that follows is the first line after this command. Output
    // still queued from the previous command is pushed out rather than discarded: it was sent.
    m_port.clear(QSerialPort::Input);
    m_port.flush();
    if (wire.size() <= OutputBufferSize - m_port.bytesToWrite())
        m_port.write(wire);
}

void SerialLink::Sendstr(const QByteArray& text, int kind) {
    writeRaw(text + terminatorBytes(kind));
    m_log.serialSent(text);
}

void SerialLink::SenByte(char byte) {
    writeRaw(QByteArray(1, byte));
}

void SerialLink::SendBinarStr(const QByteArray& bytes) {
    writeRaw(bytes);
    m_log.serialSent(SpacedHex(bytes));
}

void SerialLink::onReadyRead() {
    const QByteArray data = m_port.readAll();
    if (data.isEmpty())
        return;
    if (BinaryRxMode) {
        RxBuffer.append(data);
        Q_EMIT bytesReceived();
        return;
    }
    assemble(data);
}

void SerialLink::handleLine(const QByteArray& line) {
    if ((line == "NO CARRIER" || line == "DISCONNECT") && m_state.LinkUp())
        Q_EMIT connectionEnded();
    m_log.serialReceived(line);
}

void SerialLink::pollPinout() {
    if (!m_port.isOpen())
        return;
    const int pins = int(m_port.pinoutSignals());
    if (m_port.error() != QSerialPort::NoError) {
        // A pseudo-terminal has no modem lines: like the trigger it replaces, the watch then
        // never fires.
        m_port.clearError();
        m_statusWatch.stop();
        return;
    }
    const int watched = pins & WatchedPins;
    const bool first = m_lastPinout < 0;
    const bool changed = !first && watched != m_lastPinout;
    m_lastPinout = watched;
    if (!changed)
        return;
    const bool dcd = watched & QSerialPort::DataCarrierDetectSignal;
    Q_EMIT statusEvent(dcd);
    if (m_state.LinkUp() && m_state.ModemPresent() == 1 && !dcd)
        Q_EMIT connectionEnded();
}

void SerialLink::onError(QSerialPort::SerialPortError error) {
    // A pulled adapter or a hung-up pty shows as a read error that repeats on every notification;
    // the port is gone either way.
    if (error != QSerialPort::ResourceError && error != QSerialPort::PermissionError &&
        error != QSerialPort::ReadError)
        return;
    if (!m_port.isOpen() || m_closingLostPort)
        return;
    // Closing from inside the port's own signal is not safe; do it once control is back.
    m_closingLostPort = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_closingLostPort = false;
            if (!m_port.isOpen())
                return;
            const QString reason = m_port.errorString();
            close();
            m_port.clearError();
            m_log.WriteInfToRich(
                QStringLiteral("COM-порт %1 потерян (%2), порт закрыт").arg(m_portName, reason));
            Q_EMIT portLost();
        },
        Qt::QueuedConnection);
}

} // namespace zvk
