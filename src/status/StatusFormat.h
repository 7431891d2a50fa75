#pragma once
// Text forms of status values, shared by the status block and the air-conditioner adapter views.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <cstdint>

namespace zvk {

// "No inform." for 99 (the controller's "no value" marker), otherwise the unsigned decimal.
QString ValueOrNoInfo(std::uint8_t b);
// "No inform." for 99, otherwise b taken as an 8-bit two's-complement value.
QString SignedValueOrNoInfo(std::uint8_t b);

// DD.MM.YYYY, the year as a plain decimal.
QString DateText(const QDate& date);
inline QString DateText(const QDateTime& moment) {
    return DateText(moment.date());
}
// HH:MM:SS.
QString TimeText(const QTime& time);
inline QString TimeText(const QDateTime& moment) {
    return TimeText(moment.time());
}

// Fixed notation with the given number of decimals, "." as decimal separator and no thousands
// separator, after rounding to at most `precision` significant digits (the digits beyond it come out
// as zeros). A value with more integer digits than `precision` is written in scientific notation.
QString FixedText(double value, int decimals, int precision = 10);

} // namespace zvk
