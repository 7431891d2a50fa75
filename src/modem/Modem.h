#pragma once
// The GSM modem on the serial port: the probe after every opening of the port, the initialisation
// for data calls, the dial and the hang-ups.

#include "link/Connection.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace zvk {

class LinkState;
class OperationUi;
class RequestEngine;
class SerialLink;

// The settings dialog's modem choices.
struct ModemSettings {
    enum Type : int { MotorolaG24 = 0, Siemens = 1 };
    enum Protocol : int { Cbst7 = 0, Cbst71 = 1 };
    int modemType = MotorolaG24;
    int callProtocol = Cbst7;
};

class Modem : public QObject, public Dialler {
    Q_OBJECT
public:
    static constexpr int DialWaitMs = 70000;
    static constexpr int CommandWaitMs = 500;
    static constexpr int AnswerWaitMs = 5000;
    static constexpr int EchoOffPauseMs = 1000;
    static constexpr int EscapePauseMs = 2000;
    // A probe due while another request or operation runs waits for it this often.
    static constexpr int ProbeRetryMs = 50;

    struct Command {
        QByteArray command;
        QByteArray expected; // compared exactly
        QString error;
    };

    // Probes after every successful opening of serial.
    Modem(LinkState& state, SerialLink& serial, RequestEngine& engine, OperationUi& ui,
          QObject* parent = nullptr);

    void setSettings(std::function<ModemSettings()> settings) { m_settings = std::move(settings); }

    void TestModema();
    void InitModem();
    // The configuration commands for these settings, in the order they are sent.
    static QList<Command> initCommands(const ModemSettings& settings);

    // Dialler
    Result dial(const QByteArray& number) override;
    void hangUpAfterSilence() override;

private:
    void probeWhenFree();

    LinkState& m_state;
    SerialLink& m_serial;
    RequestEngine& m_engine;
    OperationUi& m_ui;
    std::function<ModemSettings()> m_settings;
    QTimer m_probeRetry;
};

} // namespace zvk
