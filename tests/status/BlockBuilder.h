#pragma once
// Builds status blocks byte by byte, so a test names the bytes it means instead of spelling hex.

#include "link/Frames.h"

#include <QByteArray>
#include <cstdint>

namespace zvk::test {

class BlockBuilder {
public:
    // All bytes zero; 152 bytes hold every layout.
    explicit BlockBuilder(int size = 152) : m_bytes(size, '\0') {}

    BlockBuilder& set(int k, int v) {
        if (k >= m_bytes.size())
            m_bytes.resize(k + 1, '\0');
        m_bytes[k] = char(v & 0xFF);
        return *this;
    }
    // Most significant byte first, as the block holds its fields.
    BlockBuilder& set16(int k, std::uint32_t v) { return set(k, int(v >> 8)).set(k + 1, int(v)); }
    BlockBuilder& set32(int k, std::uint32_t v) { return set16(k, v >> 16).set16(k + 2, v & 0xFFFF); }
    BlockBuilder& version(int major, int minor, int subversion) {
        return set(0, major).set(1, minor).set(13, subversion);
    }
    // Every module and sensor reachable, so no link override hides what a test looks at.
    BlockBuilder& allLinks() { return set(33, 0xFF).set(32, 0x7F); }
    BlockBuilder& resize(int size) {
        m_bytes.resize(size, '\0');
        return *this;
    }

    int size() const { return int(m_bytes.size()); }
    // "ZVK" and two upper-case digits per byte: the Modbus form.
    QByteArray text() const { return QByteArrayLiteral("ZVK") + m_bytes.toHex().toUpper(); }
    // The text reply: the text form and its CRC digits.
    QByteArray reply() const { return AddCRC(text()); }
    // The Modbus path: the first 136 bytes only.
    QByteArray modbus() const {
        return QByteArrayLiteral("ZVK") + m_bytes.left(ModbusFrames::ReadStatusDataBytes).toHex().toUpper();
    }

private:
    QByteArray m_bytes;
};

} // namespace zvk::test
