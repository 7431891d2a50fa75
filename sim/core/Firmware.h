#pragma once
// The firmware version the simulated controller reports, and the layout choices that follow
// from it.

#include <QByteArray>
#include <QString>
#include <optional>

namespace zvk::sim {

struct Firmware {
    int major = 20;
    int minor = 20;
    int sub = 1;

    // Minor 111 and 110 stand for 10 and 11 in the layout choices.
    int layoutMinor() const { return minor == 111 ? 10 : minor == 110 ? 11 : minor; }
    bool newTemperatureLayout() const { return layoutMinor() >= 12; }
    bool intermediateTemperatureLayout() const { return layoutMinor() == 11 && sub >= 4; }
    bool oldTemperatureLayout() const { return !newTemperatureLayout() && !intermediateTemperatureLayout(); }
    bool extraBox2Sensors() const { return layoutMinor() >= 20 && sub >= 1; }
    bool extendedPower() const { return major >= 20; }
    bool fullAlarmList() const {
        return major >= 20 && (layoutMinor() >= 17 || (layoutMinor() == 11 && sub >= 4));
    }
    // Bytes in the status block: the old layout reads up to byte 134 and the Modbus read takes
    // bytes 0 to 135; the later layouts reach byte 147, the extra box-2 sensors byte 151.
    int blockSize() const {
        if (extraBox2Sensors())
            return 152;
        return oldTemperatureLayout() ? 136 : 148;
    }
    QString text() const { return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(sub); }
};

// "MAJOR.MINOR.SUB", each 0 to 255.
std::optional<Firmware> parseFirmware(const QString& text);

} // namespace zvk::sim
