#pragma once
// Helpers of the simulator tests. The CRC here is written out bit by bit from the published
// algorithm, apart from the table-driven one the simulator uses, so the two check each other.

#include "core/Controller.h"
#include "core/Emission.h"

#include <QByteArray>
#include <cstdint>
#include <initializer_list>

namespace zvk::sim::test {

inline std::uint16_t crcBitwise(const QByteArray& bytes) {
    std::uint16_t crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

inline QByteArray withCrc(const QByteArray& text) {
    return text + QByteArray::number(crcBitwise(text), 16).toUpper().rightJustified(4, '0');
}

inline bool crcOk(const QByteArray& line) {
    return line.size() >= 5 && withCrc(line.chopped(4)) == line;
}

// A Modbus RTU frame from its bytes, CRC appended low byte first.
inline QByteArray modbus(std::initializer_list<int> bytes) {
    QByteArray f;
    for (int b : bytes)
        f.append(static_cast<char>(b));
    const std::uint16_t crc = crcBitwise(f);
    f.append(static_cast<char>(crc & 0xFF));
    f.append(static_cast<char>(crc >> 8));
    return f;
}

inline QByteArray hexBytes(const char* spaced) {
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

inline QByteArray joined(const Emissions& e) {
    QByteArray all;
    for (const Emission& x : e)
        all += x.bytes;
    return all;
}

inline ControllerConfig fixedConfig(Firmware fw = {}) {
    ControllerConfig c;
    c.firmware = fw;
    c.seed = 7;
    c.staticSite = true;
    c.timeScale = 0.0;
    return c;
}

inline int byteAt(const QByteArray& block, int i) {
    return static_cast<unsigned char>(block[i]);
}

} // namespace zvk::sim::test
