#pragma once
// The one serial port: to the controller over a cable, or to a GSM modem. It sends texts, single
// bytes and binary frames, assembles received bytes into lines (or collects them raw while a
// binary Modbus request is outstanding), and notices the events that end a connection.

#include "link/TextLink.h"

#include <QSerialPort>
#include <QString>
#include <QTimer>

namespace zvk {

class LinkState;

class SerialLink : public TextLink {
    Q_OBJECT
public:
    // Output buffer of the port: a text longer than this is not sent at all.
    static constexpr qsizetype OutputBufferSize = 4096;

    SerialLink(LinkState& state, OperationLog& log, QObject* parent = nullptr);
    ~SerialLink() override;

    // Port identity. A port is its system location (/dev/ttyUSB0, /dev/pts/3); the classic
    // numbered ports /dev/ttyS<k> also have the Windows number COM-(k+1), persisted as "NoCOM".
    static int numberForPort(const QString& portName);
    static QString portForNumber(int number);
    void setPortName(const QString& portName) { m_portName = portName; }
    QString portName() const { return m_portName; }
    int portNumber() const { return numberForPort(m_portName); }
    bool hasPort() const { return !m_portName.isEmpty(); }

    // Captions of GroupBox2 and BitBtn2.
    QString portCaption() const { return m_portCaption; }
    void setPortCaption(const QString& caption);
    QString openButtonCaption() const;
    static QString notSelectedCaption() { return QStringLiteral(" COM-port : Not select "); }

    // Opens the chosen port (9600 8N1, no flow control), writes the caption through InitCOM, arms
    // the modem-status watch and emits opened(). False with *error set when it cannot be opened.
    bool open(QString* error);
    void close();
    bool isOpen() const { return m_port.isOpen(); }

    void InitCOM();
    void Sendstr(const QByteArray& text, int kind);
    void SenByte(char byte);
    void SendBinarStr(const QByteArray& bytes);
    void sendLine(const QByteArray& text, int kind) override { Sendstr(text, kind); }

    // While set, received bytes go into RxBuffer untouched: no lines, no logging.
    bool BinaryRxMode = false;

    QSerialPort& port() { return m_port; }

Q_SIGNALS:
    void captionsChanged();
    void opened();
    void bytesReceived();
    // A change on CTS, DSR, RI or DCD; carries the DCD line.
    void statusEvent(bool dcd);
    // The link is up and "NO CARRIER", "DISCONNECT" or (with a modem) a low DCD arrived.
    void connectionEnded();
    // The open port went away (adapter pulled); it has been closed.
    void portLost();

protected:
    void handleLine(const QByteArray& line) override;

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void pollPinout();
    void writeRaw(const QByteArray& wire);

    LinkState& m_state;
    QSerialPort m_port;
    QString m_portName;
    QString m_portCaption = notSelectedCaption();
    QTimer m_statusWatch;
    int m_lastPinout = -1;
    bool m_closingLostPort = false;
};

} // namespace zvk
