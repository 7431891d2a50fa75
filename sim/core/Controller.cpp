#include "core/Controller.h"

#include "core/Hex.h"
#include "core/StatusBlock.h"
#include "link/Frames.h"

#include <algorithm>
#include <cmath>

namespace zvk::sim {

namespace {

constexpr int ModbusSlave = 0x1F;
constexpr int AirConditionerSlave = 0x26;
constexpr int EepromSize = 4096;
constexpr int FirstEepromPage = 505;
constexpr int FramesPerPage = 8;
constexpr int FrameBytes = 64;
constexpr int FrameRequestLength = 144;

QByteArray modbusFrame(QByteArray body) {
    const std::uint16_t crc = Crc16(body);
    body.append(static_cast<char>(crc & 0xFF));
    body.append(static_cast<char>(crc >> 8));
    return body;
}

QByteArray modbusException(int function, int code) {
    QByteArray body;
    body.append(static_cast<char>(ModbusSlave));
    body.append(static_cast<char>(function | 0x80));
    body.append(static_cast<char>(code));
    return modbusFrame(body);
}

int u8(const QByteArray& b, int i) {
    return static_cast<unsigned char>(b[i]);
}

} // namespace

QByteArray makeEeprom(const ParamStore& params) {
    QByteArray e(EepromSize, static_cast<char>(0xFF));
    QByteArray content = QByteArray::fromHex(params.payload("IMEI_EEPROM"));
    for (const char* g : {"VT", "PGU", "PGT", "PGTAKB", "PGTFCU", "PorMIXER", "KOLAKB", "MB", "CONSRV", "LAN",
                          "TIPES", "TIPIVP", "MODECONFIGPORT", "MODES", "GENERAL_MODE"})
        content += QByteArray::fromHex(params.payload(g));
    const QByteArray srv = params.payload("SRVAPN");
    content += QByteArray::fromHex(srv.left(12));
    content += srv.mid(12).leftJustified(20, '\0', true);
    content += "ZVK-35";
    e.replace(0, content.size(), content);
    return e;
}

Controller::Controller(const ControllerConfig& config) : m_config(config), m_site(config.seed) {
    m_params.setPayload("MODECONFIGPORT", config.modbusPort ? "00" : "01");
    m_params.setPayload("TIPIVP", hexByte(static_cast<std::uint8_t>(config.rectifier)));
    for (auto it = config.payloads.cbegin(); it != config.payloads.cend(); ++it)
        m_params.setPayload(it.key(), it.value());
    if (m_config.frameKey.size() != FrameBytes)
        m_config.frameKey = QByteArray(FrameBytes, '\0');

    std::mt19937& rng = m_site.rng();
    // TQ7710-5M at 9, 10, 32 and TQ7710-5M2 at 28, 29, 37 serve boxes 1, 2, 3; the air
    // conditioner's adapter is slave 38.
    m_adapters[9] = std::make_shared<SensorAdapter5M>(0, 3, rng);
    m_adapters[10] = std::make_shared<SensorAdapter5M>(1, 0, rng);
    m_adapters[32] = std::make_shared<SensorAdapter5M>(2, 1, rng);
    m_adapters[28] = std::make_shared<SensorAdapter5M2>(0, 2, rng);
    m_adapters[29] = std::make_shared<SensorAdapter5M2>(1, 4, rng);
    m_adapters[37] = std::make_shared<SensorAdapter5M2>(2, 2, rng);
    m_adapters[AirConditionerSlave] =
        std::make_shared<AirConditionerAdapter>(config.airConditionerVersion, rng);
    refreshAdapters();

    m_eeprom = config.eeprom.isEmpty() ? makeEeprom(m_params) : config.eeprom.left(EepromSize);
    if (m_eeprom.size() < EepromSize)
        m_eeprom.append(QByteArray(EepromSize - m_eeprom.size(), static_cast<char>(0xFF)));
}

int Controller::scaled(int ms) const {
    return static_cast<int>(std::lround(std::max(0.0, m_config.timeScale) * ms));
}

Reply Controller::reply(const QList<QByteArray>& lines, int jobMs) const {
    Reply r;
    r.lines = lines;
    r.delayMs = scaled(jobMs);
    return r;
}

Adapter* Controller::adapter(int slave) const {
    const auto it = m_adapters.find(slave);
    return it == m_adapters.end() ? nullptr : it->get();
}

void Controller::refreshAdapters() {
    for (const auto& a : m_adapters)
        a->refresh(m_site);
}

void Controller::advance(qint64 ms) {
    m_rebootLeftMs = std::max<qint64>(0, m_rebootLeftMs - ms);
    if (m_config.staticSite)
        return;
    m_pendingMs += ms;
    while (m_pendingMs >= 1000) {
        m_pendingMs -= 1000;
        m_site.step(m_params);
        for (const auto& a : m_adapters)
            a->step(m_site);
    }
}

QByteArray Controller::statusBlock() const {
    return buildStatusBlock(m_config.firmware, m_site, m_params);
}

QByteArray Controller::statusText() const {
    return statusLine(statusBlock());
}

Reply Controller::handleLine(const QByteArray& line) {
    if (rebooting())
        return {};
    if (line == "SET_CONFIG_MODE?")
        return reply({"ZVKOK"});
    if (line == "AR**V") // link check during a DataFlash write
        return reply({"W**V"});
    if (!line.startsWith("ZVK+"))
        return {};
    return handleCommand(line.mid(4), line);
}

Reply Controller::handleCommand(const QByteArray& body, const QByteArray& line) {
    if (body == "TS?")
        return reply({statusText()}, JobTime::Status);
    if (body == "DISCONNECT") {
        Reply r = reply({"DISCONNECT"});
        r.after = LineAction::EndSession;
        r.afterDelayMs = scaled(JobTime::DisconnectGrace);
        return r;
    }
    if (body == "RELOAD_FIRST_CONDITION" || body == "RELOAD_SECOND_CONDITION" ||
        body == "RELOAD_3_CONDITION") {
        m_site.reloadClimate(body == "RELOAD_FIRST_CONDITION"    ? 0
                             : body == "RELOAD_SECOND_CONDITION" ? 1
                                                                 : 2);
        return reply({"ZVKOK"});
    }
    if (body.startsWith("MBADRW") && body.endsWith('?'))
        return adapterRead(body);
    if (body.startsWith("MBADWW="))
        return adapterWrite(line);
    if (body.startsWith("EEPROM") && body.endsWith('?'))
        return eepromRead(body);
    if (body == "DFI?") {
        const QByteArray id = m_config.chip == DataFlashChip::Mbit2    ? "DFI=1F2300"
                              : m_config.chip == DataFlashChip::Mbit16 ? "DFI=1F2600"
                                                                       : "DFI=FFFFFF";
        return reply({id});
    }
    if (body == "DFC?") {
        if (m_config.chip == DataFlashChip::None)
            return error();
        m_dataFlash.clear();
        return reply({"ZVKOK"}, JobTime::ChipErase);
    }
    if (body == "DF0PC?") {
        if (m_config.chip == DataFlashChip::None)
            return error();
        for (int f = 0; f < FramesPerPage; ++f)
            m_dataFlash.remove(f);
        return reply({"ZVKOK"}, JobTime::PageErase);
    }
    if (body == "DFV?")
        return dataFlashVerify();
    if (body.startsWith("DFP="))
        return dataFlashWrite(line);
    if (body == "JampToBootLoader") {
        bool flashStored = false;
        for (auto it = m_dataFlash.cbegin(); it != m_dataFlash.cend(); ++it)
            flashStored =
                flashStored || (it.key() >= FramesPerPage && it.key() < FirstEepromPage * FramesPerPage);
        m_rebootCode = (m_dataFlash.contains(0) && flashStored) ? "00" : "E1";
        Reply r = reply({"Refresh firmware start ..."}, JobTime::BootJump);
        r.after = LineAction::EndSession;
        m_rebootLeftMs = scaled(JobTime::BootJump) + scaled(JobTime::Reboot);
        return r;
    }
    if (body == "RLMORVEX?")
        return reply({"RLMORVEX=" + m_rebootCode});
    for (const char* service : {"DFI_MBAD", "DFC_MBAD", "TFW_MBAD", "DFV_MBAD", "JBL_MBAD"}) {
        if (body.startsWith(service))
            return adapterService(body);
    }
    if (body.endsWith('?')) {
        const QByteArray name = body.chopped(1);
        if (findGroup(name))
            return reply({m_params.readReply(name)});
        return {};
    }
    const qsizetype eq = body.indexOf('=');
    if (eq > 0 && findGroup(body.left(eq)))
        return parameterWrite(body.left(eq), line);
    return {};
}

Reply Controller::parameterWrite(const QByteArray& name, const QByteArray& line) {
    if (!CheckCRC(line))
        return error();
    const qsizetype start = 4 + name.size() + 1;
    const QByteArray payload = line.mid(start, line.size() - start - 4);
    switch (m_params.write(name, payload)) {
    case ParamStore::WriteResult::Ok:
        refreshAdapters();
        return reply({"ZVKOK"});
    case ParamStore::WriteResult::Malformed:
        return error();
    case ParamStore::WriteResult::Unknown:
        break;
    }
    return {};
}

Reply Controller::adapterRead(const QByteArray& body) {
    // "MBADRW" slave start count "?"
    if (body.size() != 13 || !allHex(body.mid(6, 6)))
        return {};
    const int slave = static_cast<int>(*parseHex(body.mid(6, 2)));
    const int start = static_cast<int>(*parseHex(body.mid(8, 2)));
    const int count = static_cast<int>(*parseHex(body.mid(10, 2)));
    const Adapter* a = adapter(slave);
    const auto regs = a ? a->read(start, count) : std::nullopt;
    if (!regs)
        return reply({AddCRC("MBADRW=ERROR_READ")}, JobTime::AdapterRead);
    return reply({AddCRC("MBADRW=" + PlainHex(*regs))}, JobTime::AdapterRead);
}

Reply Controller::adapterWrite(const QByteArray& line) {
    // "ZVK+MBADWW=" slave register high low CRC
    if (line.size() != 23 || !CheckCRC(line) || !allHex(line.mid(11, 8)))
        return error();
    const int slave = static_cast<int>(*parseHex(line.mid(11, 2)));
    const int reg = static_cast<int>(*parseHex(line.mid(13, 2)));
    const auto value = static_cast<std::uint16_t>(*parseHex(line.mid(15, 4)));
    Adapter* a = adapter(slave);
    if (!a || !a->write(reg, value))
        return reply({AddCRC("MBADWW=ERROR_WRITE")}, JobTime::AdapterWrite);
    a->refresh(m_site);
    return reply({"ZVKOK"}, JobTime::AdapterWrite);
}

Reply Controller::eepromRead(const QByteArray& body) {
    // "EEPROM" count(3 hex) "?"
    if (body.size() != 10 || !allHex(body.mid(6, 3)))
        return {};
    const int n = static_cast<int>(*parseHex(body.mid(6, 3)));
    return reply({"EEPROM=" + PlainHex(m_eeprom.left(n))});
}

Reply Controller::dataFlashWrite(const QByteArray& line) {
    // "ZVK+DFP=" frame(1 decimal) page(3 hex) data(128 hex) CRC
    if (line.size() != FrameRequestLength || !CheckCRC(line))
        return error();
    const char frame = line[8];
    if (frame < '0' || frame > '7' || !allHex(line.mid(9, 3)) || !allHex(line.mid(12, 2 * FrameBytes)))
        return error();
    if (m_config.chip == DataFlashChip::None)
        return error();
    const int page = static_cast<int>(*parseHex(line.mid(9, 3)));
    m_dataFlash[page * FramesPerPage + (frame - '0')] = QByteArray::fromHex(line.mid(12, 2 * FrameBytes));
    return reply({"ZVKOK"}, JobTime::FrameWrite);
}

Reply Controller::dataFlashVerify() const {
    // What the loader would find: the sizes in the header frame (unmasked with the key), the
    // FLASH pages present, and the EEPROM frames that carry data (padding frames are all 0xFF).
    std::uint32_t flashBytes = 0;
    std::uint32_t eepromBytes = 0;
    if (m_dataFlash.contains(0)) {
        const QByteArray& h = m_dataFlash[0];
        const QByteArray& k = m_config.frameKey;
        for (int i = 20; i < 24; ++i)
            flashBytes = (flashBytes << 8) | static_cast<std::uint32_t>(u8(h, i) ^ u8(k, i));
        eepromBytes = static_cast<std::uint32_t>(((u8(h, 45) ^ u8(k, 45)) << 8) | (u8(h, 46) ^ u8(k, 46)));
    }
    QList<int> flashPages;
    int eepromFrames = 0;
    for (auto it = m_dataFlash.cbegin(); it != m_dataFlash.cend(); ++it) {
        const int page = it.key() / FramesPerPage;
        if (page >= 1 && page < FirstEepromPage && !flashPages.contains(page))
            flashPages.append(page);
        if (page >= FirstEepromPage && it.value() != QByteArray(FrameBytes, static_cast<char>(0xFF)))
            ++eepromFrames;
    }
    const auto pages = static_cast<std::uint32_t>(flashPages.size());
    const auto frames = static_cast<std::uint32_t>(eepromFrames);
    if (m_config.shortDfv)
        return reply({"DFV=" + hexField(pages, 2) + hexField(frames, 2)}, JobTime::Verify);
    return reply({"DFV=" + hexField(flashBytes, 8) + hexField(eepromBytes, 4) + hexField(pages, 4) +
                  hexField(frames, 2)},
                 JobTime::Verify);
}

Reply Controller::adapterService(const QByteArray& body) {
    const QByteArray service = body.left(8);
    const QByteArray slaveDigits = body.mid(8);
    if (slaveDigits.size() != 2 || !allHex(slaveDigits))
        return {};
    if (static_cast<int>(*parseHex(slaveDigits)) != AirConditionerSlave)
        return error();
    const int job = service == "DFI_MBAD"   ? JobTime::AdapterDfCheck
                    : service == "DFC_MBAD" ? JobTime::AdapterDfErase
                    : service == "TFW_MBAD" ? JobTime::AdapterTransfer
                    : service == "DFV_MBAD" ? JobTime::AdapterVerify
                                            : JobTime::AdapterFlash;
    return reply({"ZVKOK_MB"}, job);
}

Reply Controller::handleModbus(const QByteArray& frame) {
    if (rebooting() || frame.size() != 8 || u8(frame, 0) != ModbusSlave)
        return {};
    Reply r;
    r.binary = true;
    r.delayMs = scaled(JobTime::Command);
    const int function = u8(frame, 1);
    const int a = (u8(frame, 2) << 8) | u8(frame, 3);
    const int b = (u8(frame, 4) << 8) | u8(frame, 5);
    if (function == 0x03) {
        const QByteArray block = statusBlock();
        const int registers = static_cast<int>(block.size() / 2);
        if (b < 1 || b > 125 || a + b > registers) {
            r.lines = {modbusException(function, 0x02)};
            return r;
        }
        QByteArray body;
        body.append(static_cast<char>(ModbusSlave));
        body.append(static_cast<char>(0x03));
        body.append(static_cast<char>(2 * b));
        body.append(block.mid(2 * a, 2 * b));
        r.lines = {modbusFrame(body)};
        return r;
    }
    if (function == 0x06) {
        if (a == 0 && b == 0x1234) {
            r.lines = {frame};
            r.after = LineAction::ConnectServer;
        } else if (a == 5 && (b == 0 || b == 1)) {
            m_params.setPayload("MODECONFIGPORT", b ? "01" : "00");
            r.lines = {frame};
        } else {
            r.lines = {modbusException(function, (a == 0 || a == 5) ? 0x03 : 0x02)};
        }
        return r;
    }
    r.lines = {modbusException(function, 0x01)};
    return r;
}

} // namespace zvk::sim
