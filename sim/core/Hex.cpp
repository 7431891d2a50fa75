#include "core/Hex.h"

namespace zvk::sim {

QByteArray hexField(std::uint32_t value, int digits) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    QByteArray out(digits, '0');
    for (int i = digits - 1; i >= 0 && value != 0; --i) {
        out[i] = Digits[value & 0xF];
        value >>= 4;
    }
    return out;
}

bool allHex(const QByteArray& text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

std::optional<std::uint32_t> parseHex(const QByteArray& digits) {
    if (digits.isEmpty() || digits.size() > 8 || !allHex(digits))
        return std::nullopt;
    bool ok = false;
    const std::uint32_t v = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace zvk::sim
