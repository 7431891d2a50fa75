#pragma once
// The simulator's command line.

#include "core/Controller.h"
#include "core/Faults.h"
#include "core/Modem.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace zvk::sim {

struct SimOptions {
    bool pty = false;
    bool modbus = false;
    QString tcpHost;
    quint16 tcpPort = 0;
    bool tcpOnRequest = false;
    std::optional<ModemConfig> modem;
    ControllerConfig controller;
    QList<FaultRule> faults;
    bool verbose = false;
    int reconnectMs = 1500;
    QString eepromFile;
    bool useTcp() const { return tcpPort != 0; }
};

struct ParseOutcome {
    enum class Kind { Run, Help, Version, Error } kind = Kind::Run;
    SimOptions options;
    QString text; // usage, version or the error with the usage
};

ParseOutcome parseCommandLine(const QStringList& arguments);

} // namespace zvk::sim
