#pragma once
// Text frames, checksums and the fixed binary Modbus frames of the controller protocol.
// Wire text is raw bytes (Windows-1251, one byte per character), so everything here works on
// QByteArray and never goes through QString.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace zvk {

// Terminator kinds appended by the senders: 0 nothing, 1 CR, 2 CR LF.
enum TerminatorKind : int { TermNone = 0, TermCR = 1, TermCRLF = 2 };

// The bytes appended for a terminator kind; unknown kinds append nothing.
QByteArray terminatorBytes(int kind);

// CRC-16/MODBUS: reflected polynomial 0xA001, initial 0xFFFF, no final xor.
std::uint16_t Crc16(const char* data, qsizetype size);
inline std::uint16_t Crc16(const QByteArray& bytes) {
    return Crc16(bytes.constData(), bytes.size());
}

// text followed by its CRC as four upper-case hex digits, high byte first.
QByteArray AddCRC(const QByteArray& text);
// True when line ends in the upper-case CRC digits of everything before them.
bool CheckCRC(const QByteArray& line);
// True when the last two bytes are the CRC of the bytes before them, low byte first.
bool CheckModbusCRC(const QByteArray& frame);

bool IsHexChar(char c);
inline bool IsHexChar(QChar c) {
    return c.unicode() < 0x80 && IsHexChar(static_cast<char>(c.unicode()));
}

inline bool BitIsSet(std::uint8_t value, int bit) {
    return bit >= 0 && bit < 8 && ((value >> bit) & 1u);
}
inline bool BitIsSet(std::uint16_t value, int bit) {
    return bit >= 0 && bit < 16 && ((value >> bit) & 1u);
}

// Each byte as two upper-case hex digits followed by a space ("1F 03 ... 47 "): the log form of
// binary frames.
QByteArray SpacedHex(const QByteArray& bytes);
// Each byte as two upper-case hex digits, no separators.
QByteArray PlainHex(const QByteArray& bytes);

// The four binary frames the tool sends, all to slave 31, stored whole with their CRC.
namespace ModbusFrames {
QByteArray readStatus();       // read 68 holding registers from register 0
QByteArray requestServer();    // write register 0 with 0x1234: go and connect to the server
QByteArray configPortModbus(); // write register 5 with 0
QByteArray configPortText();   // write register 5 with 1
constexpr int SlaveAddress = 0x1F;
constexpr int ReadStatusReplyLength = 141; // address, function, count, 136 data bytes, CRC
constexpr int ReadStatusDataBytes = 136;
constexpr int WriteEchoLength = 8;
} // namespace ModbusFrames

// Outcome texts shared by every operation that validates a reply.
namespace Outcome {
inline const QString WrongReply = QStringLiteral(" Ошибка в ответе: ");
inline const QString NoReply = QStringLiteral(" Ошибка : нет ответа");
inline const QString NoAck = QStringLiteral(" Ошибка : нет подтверждения");
inline const QString BadLength = QStringLiteral(" Ошибка длины ответа");
inline const QString BadCrc = QStringLiteral(" Ошибка CRC ответа");
inline const QString NoModbusReply = QStringLiteral(" Нет ModBus - ответа или ошибка в ответе");
} // namespace Outcome

// Windows-1251 at the edges of the wire.
QString fromWire(const QByteArray& bytes);
QByteArray toWire(const QString& text);

} // namespace zvk
