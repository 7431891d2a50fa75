#pragma once
// Fixed-width upper-case hexadecimal fields, the way the controller writes them.

#include <QByteArray>
#include <cstdint>
#include <optional>

namespace zvk::sim {

// value in `digits` upper-case hex digits; higher bits are cut off.
QByteArray hexField(std::uint32_t value, int digits);
inline QByteArray hexByte(std::uint8_t value) {
    return hexField(value, 2);
}

// Hex digits of either case, at most 8; nullopt for anything else or an empty text.
std::optional<std::uint32_t> parseHex(const QByteArray& digits);

bool allHex(const QByteArray& text);

} // namespace zvk::sim
