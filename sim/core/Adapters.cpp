#include "core/Adapters.h"

#include <algorithm>
#include <cmath>

namespace zvk::sim {

namespace {

constexpr int AcVersionWithModeFlags = 9;
constexpr int TestModeSeconds = 60;
constexpr int CompressorOnInhibitSeconds = 450;  // "Запрет включения (7,5 мин.)"
constexpr int CompressorOffInhibitSeconds = 180; // "Запрет отключения (3 мин.)"

bool romIsBlank(const QByteArray& block, int at) {
    for (int i = 0; i < 8; ++i) {
        if (block[at + i] != 0)
            return false;
    }
    return true;
}

int slotTemperature(const SiteModel& site, int box, int slot) {
    const Cabinet& c = site.cabinet(box);
    return slot < 4 ? c.sensor(slot) : static_cast<int>(std::lround(c.air + 0.3 * slot));
}

} // namespace

std::optional<QByteArray> Adapter::read(int start, int count) const {
    if (count <= 0 || start < 0 || start + count > registerCount())
        return std::nullopt;
    return m_block.mid(start * 2, count * 2);
}

std::uint8_t oneWireCrc(const std::uint8_t* bytes, int n) {
    std::uint8_t crc = 0;
    for (int i = 0; i < n; ++i) {
        std::uint8_t b = bytes[i];
        for (int k = 0; k < 8; ++k) {
            const bool mix = (crc ^ b) & 1;
            crc >>= 1;
            if (mix)
                crc ^= 0x8C;
            b >>= 1;
        }
    }
    return crc;
}

std::array<std::uint8_t, 8> makeRom(std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::array<std::uint8_t, 8> rom{};
    rom[0] = 0x28; // DS18B20 family code
    for (int i = 1; i < 7; ++i)
        rom[i] = static_cast<std::uint8_t>(byte(rng));
    rom[7] = oneWireCrc(rom.data(), 7);
    return rom;
}

// ---- TQ7710-5M ----

namespace Block5M {
constexpr int Registers = 47;
constexpr int Codes = 2; // data byte 1 + i for sensor i
constexpr int Count = 18;
constexpr int Roms = 30;
constexpr int Slots = 8;
} // namespace Block5M

SensorAdapter5M::SensorAdapter5M(int box, int registered, std::mt19937& rng)
    : Adapter(Block5M::Registers), m_box(box) {
    setByte(0, 0x03); // software version
    setByte(Block5M::Count, registered);
    for (int s = 0; s < registered; ++s) {
        const auto rom = makeRom(rng);
        for (int i = 0; i < 8; ++i)
            setByte(Block5M::Roms + 8 * s + i, rom[i]);
    }
}

bool SensorAdapter5M::write(int reg, std::uint16_t value) {
    if (reg == 0x02) {
        setByte(Block5M::Count, value & 0xFF);
        return true;
    }
    if (reg >= 0x03 && reg <= 0x06) {
        setPendingRom(reg - 0x03, value);
        return true;
    }
    if (reg == 0x07) {
        const int slot = value & 0xFF;
        if (slot >= 1 && slot <= Block5M::Slots) {
            for (int i = 0; i < 8; ++i)
                setByte(Block5M::Roms + 8 * (slot - 1) + i, m_pendingRom[i]);
        }
        return true;
    }
    return false;
}

void SensorAdapter5M::refresh(const SiteModel& site) {
    const int n = byte(Block5M::Count);
    for (int s = 0; s < Block5M::Slots; ++s) {
        const bool live = s < n && !romIsBlank(m_block, Block5M::Roms + 8 * s);
        // Raw code: the temperature as a two's-complement byte; 0xFF where no sensor answers.
        setByte(Block5M::Codes + s, live ? slotTemperature(site, m_box, s) : 0xFF);
    }
}

// ---- TQ7710-5M2 ----

namespace Block5M2 {
constexpr int Registers = 36;
constexpr int Codes = 2;
constexpr int Count = 11;
constexpr int Roms = 12;
constexpr int Slots = 7;
constexpr std::uint8_t NoSensor = 0xC0 | 0x01; // error code 1
} // namespace Block5M2

SensorAdapter5M2::SensorAdapter5M2(int box, int registered, std::mt19937& rng)
    : Adapter(Block5M2::Registers), m_box(box) {
    setByte(0, 0x02);
    setByte(Block5M2::Count, registered);
    for (int s = 0; s < registered; ++s) {
        const auto rom = makeRom(rng);
        for (int i = 0; i < 8; ++i)
            setByte(Block5M2::Roms + 8 * s + i, rom[i]);
    }
}

std::uint8_t SensorAdapter5M2::encodeCode(int celsius) {
    const int magnitude = std::min(std::abs(celsius), 63);
    return static_cast<std::uint8_t>((celsius < 0 ? 0x80 : 0x00) | magnitude);
}

bool SensorAdapter5M2::write(int reg, std::uint16_t value) {
    if (reg >= 0x00 && reg <= 0x03) {
        setPendingRom(reg, value);
        return true;
    }
    if (reg == 0x04) {
        const int hi = value >> 8;
        const int lo = value & 0xFF;
        if (hi != 0) {
            setByte(Block5M2::Count, hi);
        } else if (lo >= 1 && lo <= Block5M2::Slots) {
            for (int i = 0; i < 8; ++i)
                setByte(Block5M2::Roms + 8 * (lo - 1) + i, m_pendingRom[i]);
        }
        // Slot 8 has no place in this block: the adapter takes the write and keeps nothing.
        return true;
    }
    return false;
}

void SensorAdapter5M2::refresh(const SiteModel& site) {
    const int n = byte(Block5M2::Count);
    for (int s = 0; s < Block5M2::Slots; ++s) {
        const bool live = s < n && !romIsBlank(m_block, Block5M2::Roms + 8 * s);
        setByte(Block5M2::Codes + s, live ? encodeCode(slotTemperature(site, m_box, s)) : Block5M2::NoSensor);
    }
}

// ---- air conditioner ----

namespace BlockAc {
constexpr int Registers = 58;
constexpr int Version = 0;
constexpr int State = 1;
constexpr int Temps = 2; // T1..T8 at 2..9
constexpr int Modes = 8; // the T7 slot, mode flags from version 9
constexpr int T7 = 10;   // 16-bit, tenths
constexpr int Roms = 12;
constexpr int CondenserSpeed = 76;
constexpr int EvaporatorSpeed = 77;
constexpr int BoxRegulation = 78;
constexpr int BoxNominal = 79;
constexpr int T7Period = 80;
constexpr int OutsideAlarm = 81;
constexpr int OilRegulation = 82;
constexpr int OilNominal = 83;
constexpr int StandbySpeed = 84;
constexpr int DrainNominal = 85;
constexpr int EvaporatorSpeeds = 86; // 86..89
constexpr int CondenserSpeed15 = 104;
constexpr int CondenserSpeed16 = 105;
constexpr int RefrigerantMin = 106;
constexpr int RefrigerantMax = 108;
constexpr int RefrigerantAlarmHigh = 110;
constexpr int RefrigerantAlarmLow = 112;
constexpr int Rto2 = 114; // register 57
} // namespace BlockAc

AirConditionerAdapter::AirConditionerAdapter(int version, std::mt19937& rng)
    : Adapter(BlockAc::Registers), m_version(version) {
    using namespace BlockAc;
    setByte(Version, version);
    for (int s = 0; s < 6; ++s) {
        const auto rom = makeRom(rng);
        for (int i = 0; i < 8; ++i)
            setByte(Roms + 8 * s + i, rom[i]);
    }
    setByte(BoxRegulation, 24);
    setByte(BoxNominal, 22);
    setByte(T7Period, 10);
    setByte(OutsideAlarm, 45);
    setByte(OilRegulation, 10);
    setByte(OilNominal, 15);
    setByte(StandbySpeed, 2);
    setByte(DrainNominal, 5);
    for (int i = 0; i < 4; ++i)
        setByte(EvaporatorSpeeds + i, 2 + i);
    setByte(CondenserSpeed15, 6);
    setByte(CondenserSpeed16, 7);
    setWord(RefrigerantMin, -35);
    setWord(RefrigerantMax, 450);
    setWord(RefrigerantAlarmHigh, 600);
    setWord(RefrigerantAlarmLow, -100);
    setWord(Rto2, 0);
}

bool AirConditionerAdapter::write(int reg, std::uint16_t value) {
    using namespace BlockAc;
    const int hi = value >> 8;
    const int lo = value & 0xFF;
    switch (reg) {
    case 0x00:
    case 0x01:
    case 0x02:
    case 0x03:
        setPendingRom(reg, value);
        return true;
    case 0x04:
        if (lo >= 1 && lo <= 8) {
            for (int i = 0; i < 8; ++i)
                setByte(Roms + 8 * (lo - 1) + i, m_pendingRom[i]);
        }
        return true;
    case 0x05:
        setByte(BoxRegulation, hi);
        setByte(BoxNominal, lo);
        return true;
    case 0x06:
        setByte(OutsideAlarm, lo);
        return true;
    case 0x07:
        setByte(OilRegulation, hi);
        setByte(OilNominal, lo);
        return true;
    case 0x08:
        setByte(DrainNominal, lo);
        return true;
    case 0x09:
        setByte(EvaporatorSpeeds, hi);
        setByte(EvaporatorSpeeds + 1, lo);
        return true;
    case 0x0A:
        setByte(EvaporatorSpeeds + 2, hi);
        setByte(EvaporatorSpeeds + 3, lo);
        return true;
    case 0x12:
        setByte(CondenserSpeed15, hi);
        setByte(CondenserSpeed16, lo);
        return true;
    case 0x13:
        setWord(RefrigerantMin, value);
        return true;
    case 0x14:
        setWord(RefrigerantMax, value);
        return true;
    case 0x15:
        setWord(RefrigerantAlarmHigh, value);
        return true;
    case 0x16:
        setWord(RefrigerantAlarmLow, value);
        return true;
    case 0x17:
        setByte(T7Period, lo);
        return true;
    case 0x18:
        setByte(StandbySpeed, lo);
        return true;
    case 0x19:
        m_rto1 = value != 0;
        if (m_version >= AcVersionWithModeFlags)
            setByte(Modes, (byte(Modes) & ~0x01) | (m_rto1 ? 0x01 : 0x00));
        return true;
    case 0x1A:
        if (value == 0xAA55) {
            m_testSeconds = TestModeSeconds;
            if (m_version >= AcVersionWithModeFlags)
                setByte(Modes, byte(Modes) | 0x04);
        }
        return true;
    case 0x1B:
        setWord(Rto2, value);
        return true;
    default:
        return false;
    }
}

void AirConditionerAdapter::step(SiteModel& site) {
    using namespace BlockAc;
    const Cabinet& box = site.cabinet(0);
    const int air = box.average();
    const int regulation = static_cast<std::int8_t>(byte(BoxRegulation));

    if (m_inhibitOnSeconds > 0)
        --m_inhibitOnSeconds;
    if (m_inhibitOffSeconds > 0)
        --m_inhibitOffSeconds;
    if (m_testSeconds > 0)
        --m_testSeconds;

    const double alarmHigh = signedWord(RefrigerantAlarmHigh) / 10.0;
    const double alarmLow = signedWord(RefrigerantAlarmLow) / 10.0;
    const bool t7Alarm = m_t7 > alarmHigh || m_t7 < alarmLow;
    const bool noMains = site.phaseSagging(0);

    bool want = (air > regulation + 1) || (m_compressor && air >= regulation - 1) || m_testSeconds > 0;
    if (t7Alarm || noMains)
        want = false;
    if (want && !m_compressor && m_inhibitOnSeconds == 0) {
        m_compressor = true;
        m_inhibitOffSeconds = CompressorOffInhibitSeconds;
    } else if (!want && m_compressor && (m_inhibitOffSeconds == 0 || t7Alarm || noMains)) {
        m_compressor = false;
        m_inhibitOnSeconds = CompressorOnInhibitSeconds;
    }
    const double t7Target = m_compressor ? 4.0 : box.air;
    m_t7 += (t7Target - m_t7) * 0.05;
    site.airConditionerAlarm = t7Alarm;

    if (m_compressor)
        site.cabinet(0).air -= 0.03;
    refresh(site);
}

void AirConditionerAdapter::refresh(const SiteModel& site) {
    using namespace BlockAc;
    const Cabinet& box = site.cabinet(0);
    const int air = box.average();
    const int regulation = static_cast<std::int8_t>(byte(BoxRegulation));
    const double alarmHigh = signedWord(RefrigerantAlarmHigh) / 10.0;
    const double alarmLow = signedWord(RefrigerantAlarmLow) / 10.0;
    const bool t7Alarm = m_t7 > alarmHigh || m_t7 < alarmLow;
    const bool noMains = site.phaseSagging(0);
    const int out = site.outside();
    setByte(Temps + 0, air);
    setByte(Temps + 1, m_compressor ? air - 8 : air);
    setByte(Temps + 2, air + 1);
    setByte(Temps + 3, out);
    setByte(Temps + 4, out + (m_compressor ? 15 : 0));
    setByte(Temps + 5, (out < static_cast<std::int8_t>(byte(OilRegulation))) ? 20 : out + 5);
    if (m_version < AcVersionWithModeFlags)
        setByte(Modes, 0);
    setByte(Temps + 7, out + 2);
    setWord(T7, static_cast<int>(std::lround(m_t7 * 10.0)));

    if (m_version >= AcVersionWithModeFlags) {
        const bool rto2 = byte(Rto2) != 0 && byte(Rto2 + 1) != 0;
        setByte(Modes, (m_rto1 ? 0x01 : 0) | (rto2 ? 0x02 : 0) | (m_testSeconds > 0 ? 0x04 : 0));
    }
    const int step = std::clamp(air - regulation, 0, 3);
    setByte(EvaporatorSpeed, m_compressor ? byte(EvaporatorSpeeds + step) : byte(StandbySpeed));
    setByte(CondenserSpeed, m_compressor ? byte(CondenserSpeed15) : 0);

    std::uint8_t flags = 0;
    flags |= m_compressor ? 0x01 : 0;
    flags |= out < static_cast<std::int8_t>(byte(OilRegulation)) ? 0x02 : 0;
    flags |= out < static_cast<std::int8_t>(byte(DrainNominal)) ? 0x04 : 0;
    flags |= box.freeCooling ? 0x08 : 0;
    flags |= t7Alarm ? 0x10 : 0;
    flags |= m_inhibitOnSeconds > 0 ? 0x20 : 0;
    flags |= m_inhibitOffSeconds > 0 ? 0x40 : 0;
    flags |= noMains ? 0x80 : 0;
    setByte(State, flags);
}

} // namespace zvk::sim
