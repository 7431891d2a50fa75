#pragma once
// A GSM modem (Motorola G24 or Siemens) in front of the serial controller: AT commands in
// command mode, a CSD data call that carries the controller's text protocol, the "+++" escape
// with its guard time, "NO CARRIER" when the call ends.

#include "core/Ports.h"

namespace zvk::sim {

enum class ModemType { G24, Siemens };

struct ModemConfig {
    ModemType type = ModemType::G24;
    bool echoAtPowerUp = true; // modems start with echo on
    int registration = 1;      // +CREG state: 1 home network, 5 roaming, 2 searching
    int dialMs = 3000;         // from ATD to the dial result
    int guardMs = 1000;        // silence needed around "+++"
    int responseMs = 20;
    int hangupMs = 300; // from the far end's hang-up to "NO CARRIER"
    QByteArray imei = "356938035643809";
};

class Modem : public Endpoint {
public:
    enum class State { Command, Dialing, Online, OnlineCommand };

    Modem(const ModemConfig& config, Controller& controller, FaultSet& faults);

    Emissions feed(const QByteArray& bytes, qint64 nowMs) override;
    qint64 nextDeadline() const override;
    Emissions poll(qint64 nowMs) override;
    // The tool closed the port: DTR drops, which ends a call; the echo setting stays.
    void reset() override;

    State state() const { return m_state; }
    bool echo() const { return m_echo; }

private:
    Emissions commandBytes(const QByteArray& bytes, qint64 nowMs);
    Emissions onlineBytes(const QByteArray& bytes, qint64 nowMs);
    Emissions command(const QByteArray& line, qint64 nowMs);
    Emissions fromController(const Emissions& pieces);
    Emissions result(const QByteArray& line, const QList<QByteArray>& texts);
    QByteArray registrationLine() const;

    ModemConfig m_config;
    FaultSet& m_faults;
    TextPort m_controllerPort;
    State m_state = State::Command;
    bool m_echo = true;
    QByteArray m_typed;
    int m_plusCount = 0;
    qint64 m_escapeAt = -1;
    qint64 m_lastRxMs;
    qint64 m_dialDoneAt = -1;
    DialResult m_dialResult = DialResult::Connect;
    QByteArray m_dialLine;
};

} // namespace zvk::sim
