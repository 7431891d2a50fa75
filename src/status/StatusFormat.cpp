#include "status/StatusFormat.h"

#include <cmath>

namespace zvk {

QString ValueOrNoInfo(std::uint8_t b) {
    if (b == 99)
        return QStringLiteral("No inform.");
    return QString::number(b);
}

QString SignedValueOrNoInfo(std::uint8_t b) {
    if (b == 99)
        return QStringLiteral("No inform.");
    return QString::number(static_cast<std::int8_t>(b));
}

QString DateText(const QDate& date) {
    return QString::asprintf("%02d.%02d.%d", date.day(), date.month(), date.year());
}

QString TimeText(const QTime& time) {
    return QString::asprintf("%02d:%02d:%02d", time.hour(), time.minute(), time.second());
}

QString FixedText(double value, int decimals, int precision) {
    if (!std::isfinite(value))
        return QString::number(value);
    // Round to `precision` significant digits first; the 'e' form does exactly that rounding, and
    // QString's conversions ignore the C locale in both directions.
    const double rounded = QString::number(value, 'e', precision - 1).toDouble();
    const double magnitude = std::fabs(rounded);
    const int integerDigits = magnitude < 1.0 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    if (integerDigits > precision)
        return QString::number(rounded, 'E', precision - 1);
    // QString::number never uses the locale, so the separator is always "." and there are no groups.
    return QString::number(rounded, 'f', decimals);
}

} // namespace zvk
