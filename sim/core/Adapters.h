#pragma once
// The Modbus adapters on the controller's own bus, as register maps. A read returns registers
// of the read block, high byte first; a write goes to the adapter's write registers, which are
// a different set: each adapter puts what it received where its read block shows it.

#include "core/Site.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

namespace zvk::sim {

class Adapter {
public:
    virtual ~Adapter() = default;
    int registerCount() const { return static_cast<int>(m_block.size() / 2); }
    // count registers from start; nullopt when the range leaves the map or is empty.
    std::optional<QByteArray> read(int start, int count) const;
    // false: the adapter refuses the register (the controller then reports a failed write).
    virtual bool write(int reg, std::uint16_t value) = 0;
    // One second of the site has passed.
    virtual void step(SiteModel& site) { refresh(site); }
    // Brings the values that follow from the settings up to date (after a write).
    virtual void refresh(const SiteModel& site) = 0;

    std::uint8_t byte(int i) const { return static_cast<std::uint8_t>(m_block[i]); }
    std::int16_t signedWord(int i) const { return static_cast<std::int16_t>((byte(i) << 8) | byte(i + 1)); }

protected:
    explicit Adapter(int registers) : m_block(registers * 2, '\0') {}
    void setByte(int i, int v) { m_block[i] = static_cast<char>(v & 0xFF); }
    void setWord(int i, int v) {
        setByte(i, v >> 8);
        setByte(i + 1, v);
    }
    QByteArray m_block;
    std::array<std::uint8_t, 8> m_pendingRom{}; // ROM bytes written, waiting for their slot
    void setPendingRom(int pair, std::uint16_t value) {
        m_pendingRom[pair * 2] = static_cast<std::uint8_t>(value >> 8);
        m_pendingRom[pair * 2 + 1] = static_cast<std::uint8_t>(value);
    }
};

// Dallas 1-Wire CRC-8 over the first seven ROM bytes.
std::uint8_t oneWireCrc(const std::uint8_t* bytes, int n);
// A plausible DS18B20 ROM code.
std::array<std::uint8_t, 8> makeRom(std::mt19937& rng);

// TQ7710-5M: 47 registers; codes of 8 sensors at data bytes 2-9, the registered count at byte 18,
// ROM codes at bytes 30-93. Write registers: 02 count, 03-06 ROM, 07 slot.
class SensorAdapter5M : public Adapter {
public:
    SensorAdapter5M(int box, int registered, std::mt19937& rng);
    bool write(int reg, std::uint16_t value) override;
    void refresh(const SiteModel& site) override;

private:
    int m_box;
};

// TQ7710-5M2: 36 registers; codes of 7 sensors at data bytes 2-8, the count at byte 11, ROM
// codes at bytes 12-67. Write registers: 00-03 ROM, 04 count (high byte) or slot (low byte).
class SensorAdapter5M2 : public Adapter {
public:
    SensorAdapter5M2(int box, int registered, std::mt19937& rng);
    bool write(int reg, std::uint16_t value) override;
    void refresh(const SiteModel& site) override;
    // Sign and magnitude, bits 7 and 6 together mark an error code.
    static std::uint8_t encodeCode(int celsius);

private:
    int m_box;
};

// The air conditioner's adapter: 57 registers of state and settings, register 57 the RTO-2 times.
class AirConditionerAdapter : public Adapter {
public:
    AirConditionerAdapter(int version, std::mt19937& rng);
    bool write(int reg, std::uint16_t value) override;
    void step(SiteModel& site) override;
    void refresh(const SiteModel& site) override;

    bool compressorOn() const { return m_compressor; }
    bool testMode() const { return m_testSeconds > 0; }

private:
    int m_version;
    bool m_compressor = false;
    bool m_rto1 = false;
    double m_t7 = 20.0;
    int m_inhibitOnSeconds = 0;
    int m_inhibitOffSeconds = 0;
    int m_testSeconds = 0;
};

} // namespace zvk::sim
