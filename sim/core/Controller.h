#pragma once
// The ZVK-35 controller: answers text requests and Modbus frames from its model of the site,
// its parameter groups, its adapters, its DataFlash and EEPROM. No input or output: a request
// goes in, a reply (lines, a pause, an action) comes out.

#include "core/Adapters.h"
#include "core/Faults.h"
#include "core/Firmware.h"
#include "core/ParamStore.h"
#include "core/Site.h"

#include <QByteArray>
#include <QMap>
#include <array>
#include <memory>

namespace zvk::sim {

enum class DataFlashChip { None, Mbit2, Mbit16 };

struct ControllerConfig {
    Firmware firmware;
    std::uint32_t seed = 1;
    bool staticSite = false; // values do not move
    double timeScale = 1.0;  // scales the time the controller's slow jobs take
    DataFlashChip chip = DataFlashChip::Mbit2;
    bool shortDfv = false;                      // answer "ZVK+DFV?" in the 8-character form
    QByteArray frameKey = QByteArray(64, '\0'); // the loader's key for the DataFlash header
    QByteArray eeprom;                          // EEPROM image; empty: a generated one
    bool modbusPort = false;                    // the configuration port starts in Modbus mode
    int rectifier = 0;                          // 0 Emerson, 1 Huawei
    int airConditionerVersion = 9;
    QMap<QByteArray, QByteArray> payloads; // parameter groups that start with other values
};

// How long the controller takes over its jobs, in milliseconds before scaling.
namespace JobTime {
constexpr int Command = 20;
constexpr int Status = 40;
constexpr int AdapterRead = 150;
constexpr int AdapterWrite = 100;
constexpr int ChipErase = 3000;
constexpr int PageErase = 400;
constexpr int FrameWrite = 25;
constexpr int Verify = 1500;
constexpr int BootJump = 200;
constexpr int Reboot = 8000;
constexpr int DisconnectGrace = 300; // between "DISCONNECT" and ending the link
constexpr int AdapterDfCheck = 1000;
constexpr int AdapterDfErase = 4000;
constexpr int AdapterTransfer = 12000;
constexpr int AdapterVerify = 3000;
constexpr int AdapterFlash = 8000;
} // namespace JobTime

class Controller {
public:
    explicit Controller(const ControllerConfig& config);

    // One request line (terminator removed).
    Reply handleLine(const QByteArray& line);
    // One Modbus RTU frame whose CRC has been checked.
    Reply handleModbus(const QByteArray& frame);

    // Site time passes; the site steps once per whole second.
    void advance(qint64 ms);

    // The configuration port speaks the text protocol (else Modbus RTU).
    bool textPort() const { return m_params.byteAt("MODECONFIGPORT", 0) != 0; }
    bool rebooting() const { return m_rebootLeftMs > 0; }

    QByteArray statusBlock() const;
    QByteArray statusText() const; // the reply to "ZVK+TS?"

    ParamStore& params() { return m_params; }
    const ParamStore& params() const { return m_params; }
    SiteModel& site() { return m_site; }
    const Firmware& firmware() const { return m_config.firmware; }
    Adapter* adapter(int slave) const;
    const QByteArray& eeprom() const { return m_eeprom; }
    // Stored DataFlash frames, keyed by page * 8 + frame.
    const QMap<int, QByteArray>& dataFlash() const { return m_dataFlash; }
    QByteArray rebootCode() const { return m_rebootCode; }

private:
    Reply reply(const QList<QByteArray>& lines, int jobMs = JobTime::Command) const;
    Reply error() const { return reply({"ERROR"}); }
    int scaled(int ms) const;
    Reply handleCommand(const QByteArray& body, const QByteArray& line);
    Reply adapterRead(const QByteArray& body);
    Reply adapterWrite(const QByteArray& line);
    Reply eepromRead(const QByteArray& body);
    Reply dataFlashWrite(const QByteArray& line);
    Reply dataFlashVerify() const;
    Reply adapterService(const QByteArray& body);
    Reply parameterWrite(const QByteArray& name, const QByteArray& line);
    void refreshAdapters();

    ControllerConfig m_config;
    ParamStore m_params;
    SiteModel m_site;
    QMap<int, std::shared_ptr<Adapter>> m_adapters;
    QMap<int, QByteArray> m_dataFlash;
    QByteArray m_eeprom;
    QByteArray m_rebootCode = "FF";
    qint64 m_pendingMs = 0;
    qint64 m_rebootLeftMs = 0;
};

// A generated EEPROM image of 4096 bytes: the unit ID and a copy of the parameter payloads,
// the rest erased (0xFF).
QByteArray makeEeprom(const ParamStore& params);

} // namespace zvk::sim
