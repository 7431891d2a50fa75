#include "link/Frames.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>

namespace zvk {

namespace {
constexpr char HexDigits[] = "0123456789ABCDEF";

constexpr std::array<std::uint16_t, 256> makeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                             : static_cast<std::uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}
constexpr auto CrcTable = makeCrcTable();

void appendHexByte(QByteArray& out, unsigned char b) {
    out.append(HexDigits[b >> 4]);
    out.append(HexDigits[b & 0x0F]);
}

QByteArray crcDigits(std::uint16_t crc) {
    QByteArray out;
    out.reserve(4);
    appendHexByte(out, static_cast<unsigned char>(crc >> 8));
    appendHexByte(out, static_cast<unsigned char>(crc & 0xFF));
    return out;
}

QByteArray fromHexLiteral(const char* hex) {
    return QByteArray::fromHex(QByteArray(hex));
}
} // namespace

QByteArray terminatorBytes(int kind) {
    switch (kind) {
    case TermCR:
        return QByteArray("\r");
    case TermCRLF:
        return QByteArray("\r\n");
    default:
        return {};
    }
}

std::uint16_t Crc16(const char* data, qsizetype size) {
    std::uint16_t crc = 0xFFFF;
    for (qsizetype i = 0; i < size; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^
                                         CrcTable[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF]);
    return crc;
}

QByteArray AddCRC(const QByteArray& text) {
    return text + crcDigits(Crc16(text));
}

bool CheckCRC(const QByteArray& line) {
    if (line.size() < 5)
        return false;
    const qsizetype body = line.size() - 4;
    return line.mid(body) == crcDigits(Crc16(line.constData(), body));
}

bool CheckModbusCRC(const QByteArray& frame) {
    if (frame.size() < 2)
        return false;
    const std::uint16_t crc = Crc16(frame.constData(), frame.size() - 2);
    return static_cast<unsigned char>(frame[frame.size() - 2]) == (crc & 0xFF) &&
           static_cast<unsigned char>(frame[frame.size() - 1]) == (crc >> 8);
}

bool IsHexChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

QByteArray SpacedHex(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (char b : bytes) {
        appendHexByte(out, static_cast<unsigned char>(b));
        out.append(' ');
    }
    return out;
}

QByteArray PlainHex(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes)
        appendHexByte(out, static_cast<unsigned char>(b));
    return out;
}

namespace ModbusFrames {
QByteArray readStatus() {
    return fromHexLiteral("1F0300000044"
                          "4647");
}
QByteArray requestServer() {
    return fromHexLiteral("1F0600001234"
                          "8703");
}
QByteArray configPortModbus() {
    return fromHexLiteral("1F0600050000"
                          "9A75");
}
QByteArray configPortText() {
    return fromHexLiteral("1F0600050001"
                          "5BB5");
}
} // namespace ModbusFrames

QString fromWire(const QByteArray& bytes) {
    QStringDecoder decoder("windows-1251");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray toWire(const QString& text) {
    QStringEncoder encoder("windows-1251");
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder.encode(text);
}

} // namespace zvk
