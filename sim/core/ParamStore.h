#pragma once
// The controller's parameter groups, kept as the hex payloads that travel on the wire: a read
// answers with the stored payload, a write replaces it, and the rest of the controller reads
// its thresholds and modes from here.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <cstdint>
#include <optional>

namespace zvk::sim {

struct GroupDef {
    const char* name;
    int digits;     // fixed payload length in hex digits; for SRVAPN the part before the APN
    bool textTail;  // SRVAPN: free text after the fixed part
    bool readOnly;  // IMEI_MODEMA
    bool crcOnRead; // every group but IMEI_MODEMA
};

const QList<GroupDef>& groupDefs();
const GroupDef* findGroup(const QByteArray& name);

class ParamStore {
public:
    ParamStore();

    // The payload after "NAME=", without the CRC.
    QByteArray payload(const QByteArray& name) const { return m_payloads.value(name); }
    void setPayload(const QByteArray& name, const QByteArray& payload) { m_payloads[name] = payload; }

    // The whole reply line to "ZVK+NAME?", without the line end; empty for an unknown group.
    QByteArray readReply(const QByteArray& name) const;

    enum class WriteResult { Ok, Malformed, Unknown };
    // Validates and stores the payload of "ZVK+NAME=<payload><CRC>" (the CRC already checked).
    WriteResult write(const QByteArray& name, const QByteArray& payload);

    // Field access by position in the payload (in bytes of two digits, or in digits).
    std::uint32_t field(const QByteArray& name, int digitOffset, int digits) const;
    std::uint8_t byteAt(const QByteArray& name, int index) const {
        return static_cast<std::uint8_t>(field(name, index * 2, 2));
    }
    int signedByteAt(const QByteArray& name, int index) const {
        return static_cast<std::int8_t>(byteAt(name, index));
    }
    void setField(const QByteArray& name, int digitOffset, int digits, std::uint32_t value);

    // Controller-side values of CONDISH that the tool cannot write.
    void setCondishStatus(std::uint8_t errorCode, std::uint8_t sensorErrors);

private:
    QMap<QByteArray, QByteArray> m_payloads;
};

// Named views of the stored groups used by the site model and the status block.
struct Thresholds {
    int upperAlarm, lowerAlarm, hysteresis, heaterOn, heaterOff, coolerOn, coolerOff;
};
Thresholds cabinetThresholds(const ParamStore& p, bool battery);

} // namespace zvk::sim
