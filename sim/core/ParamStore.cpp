#include "core/ParamStore.h"

#include "core/Hex.h"
#include "link/Frames.h"

namespace zvk::sim {

namespace {
constexpr int MaxApnBytes = 64;
}

const QList<GroupDef>& groupDefs() {
    static const QList<GroupDef> defs = {
        {"VT", 6, false, false, true},
        {"PGU", 8, false, false, true},
        {"PGT", 14, false, false, true},
        {"PGTAKB", 14, false, false, true},
        {"PGTFCU", 6, false, false, true},
        {"PorMIXER", 4, false, false, true},
        {"KOLAKB", 2, false, false, true},
        {"MB", 4, false, false, true},
        {"SRVAPN", 12, true, false, true},
        {"CONSRV", 12, false, false, true},
        {"LAN", 40, false, false, true},
        {"TIPES", 2, false, false, true},
        {"TIPIVP", 2, false, false, true},
        {"MODECONFIGPORT", 2, false, false, true},
        {"MODES", 2, false, false, true},
        {"GENERAL_MODE", 2, false, false, true},
        {"IMEI_EEPROM", 8, false, false, true},
        {"IMEI_MODEMA", 0, true, true, false},
        // Read: the two settable bytes, the poll error code and the sensor error flags; the
        // write carries the first two only.
        {"CONDISH", 4, false, false, true},
    };
    return defs;
}

const GroupDef* findGroup(const QByteArray& name) {
    for (const GroupDef& d : groupDefs()) {
        if (name == d.name)
            return &d;
    }
    return nullptr;
}

ParamStore::ParamStore() {
    m_payloads = {
        {"VT", "1E3C78"},                   // 30 s, 60 s, 120 s
        {"PGU", "0FA0BE05"},                // 250 V, 190 V, 5 V
        {"PGT", "2805020A0F1E19"},          // 40, 5, 2, 10, 15, 30, 25 °C
        {"PGTAKB", "2300020C101C18"},       // 35, 0, 2, 12, 16, 28, 24 °C
        {"PGTFCU", "1814F6"},               // 24, 20, -10 °C
        {"PorMIXER", "0502"},               // 5, 2 °C
        {"KOLAKB", "01"},                   // two battery cabinets
        {"MB", "000E"},                     // 14 steps, about 1 ms
        {"SRVAPN", "C0A8010A0C97internet"}, // 192.168.1.10:3223
        {"CONSRV", "C0A8010A1985"},         // 192.168.1.10:6533
        {"LAN", "001A2B3C4D5EFFFFFF00C0A80101C0A801321E62"},
        {"TIPES", "02"},
        {"TIPIVP", "00"},
        {"MODECONFIGPORT", "01"},
        {"MODES", "00"},
        {"GENERAL_MODE", "01"},
        {"IMEI_EEPROM", "00BC614E"}, // 12345678
        {"IMEI_MODEMA", "356938035643809"},
        {"CONDISH", "051E0000"},
    };
}

QByteArray ParamStore::readReply(const QByteArray& name) const {
    const GroupDef* def = findGroup(name);
    if (!def)
        return {};
    const QByteArray line = name + '=' + m_payloads.value(name);
    return def->crcOnRead ? AddCRC(line) : line;
}

ParamStore::WriteResult ParamStore::write(const QByteArray& name, const QByteArray& payload) {
    const GroupDef* def = findGroup(name);
    if (!def)
        return WriteResult::Unknown;
    if (def->readOnly)
        return WriteResult::Malformed;
    if (name == "CONDISH") {
        if (payload.size() != 4 || !allHex(payload))
            return WriteResult::Malformed;
        m_payloads[name].replace(0, 4, payload.toUpper());
        return WriteResult::Ok;
    }
    const QByteArray fixed = payload.left(def->digits);
    if (fixed.size() != def->digits || !allHex(fixed))
        return WriteResult::Malformed;
    if (!def->textTail && payload.size() != def->digits)
        return WriteResult::Malformed;
    if (def->textTail && payload.size() - def->digits > MaxApnBytes)
        return WriteResult::Malformed;
    m_payloads[name] = fixed.toUpper() + payload.mid(def->digits);
    return WriteResult::Ok;
}

std::uint32_t ParamStore::field(const QByteArray& name, int digitOffset, int digits) const {
    return parseHex(m_payloads.value(name).mid(digitOffset, digits)).value_or(0);
}

void ParamStore::setField(const QByteArray& name, int digitOffset, int digits, std::uint32_t value) {
    QByteArray& p = m_payloads[name];
    if (p.size() < digitOffset + digits)
        p.append(QByteArray(digitOffset + digits - p.size(), '0'));
    p.replace(digitOffset, digits, hexField(value, digits));
}

void ParamStore::setCondishStatus(std::uint8_t errorCode, std::uint8_t sensorErrors) {
    setField("CONDISH", 4, 2, errorCode);
    setField("CONDISH", 6, 2, sensorErrors);
}

Thresholds cabinetThresholds(const ParamStore& p, bool battery) {
    const QByteArray g = battery ? "PGTAKB" : "PGT";
    // Wire order: upper alarm, lower alarm, hysteresis, heater on, heater off, cooler on, cooler off.
    return {p.signedByteAt(g, 0), p.signedByteAt(g, 1), p.signedByteAt(g, 2), p.signedByteAt(g, 3),
            p.signedByteAt(g, 4), p.signedByteAt(g, 5), p.signedByteAt(g, 6)};
}

} // namespace zvk::sim
