#pragma once
// Decoding of the status block (the reply to "ZVK+TS?", or the Modbus read of the same data) into
// the status view, and the status log line of the block.
//
// Text form: "ZVK", then two hexadecimal digits per block byte, byte 0 first; a text reply ends in
// four CRC digits that are not block data. Every field is read with a bounds and digit check: a field
// that cannot be read leaves what its cells showed and decoding goes on with the next field.

#include "status/StatusView.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace zvk {

struct DecodeContext {
    // The block ends in the four CRC digits of a text reply (the caller has checked them).
    bool crcDigits = true;
    // The cable in Modbus mode: the block carries the configuration echo.
    bool configEcho = false;
    // Local clock of the log line.
    QDateTime now;
};

struct UnreadField {
    QString name; // "T2 - 1", "alarms", "systemVoltage", "Edit8", ...
    int offset;   // first byte
    int width;    // bytes
    bool pastEnd; // beyond the end of the block; otherwise a character is not a hexadecimal digit
    bool operator==(const UnreadField&) const = default;
};

// Which temperature layout the version bytes select.
enum class TemperatureLayout { Unknown, Old, Intermediate, New };

struct DecodeResult {
    QList<UnreadField> unread;
    // Every field the block's layout needs could be read.
    bool complete = true;
    TemperatureLayout layout = TemperatureLayout::Unknown;
    // The status log line without its CR LF; fields that could not be read have an empty value.
    QByteArray logLine;

    bool pastEnd() const; // some field lies beyond the end of the block
    bool garbled() const; // some field holds a character that is not a hexadecimal digit
    QStringList unreadNames() const;
};

DecodeResult DecodirovanieUL(const QByteArray& block, StatusView& view, const DecodeContext& context);

} // namespace zvk
