#pragma once
// The status block the controller answers "ZVK+TS?" with (and whose first 136 bytes its Modbus
// registers 0 to 67 hold), built from the site, the parameters and the firmware's layout.

#include "core/Firmware.h"
#include "core/ParamStore.h"
#include "core/Site.h"

#include <QByteArray>

namespace zvk::sim {

// Byte offsets in the block.
namespace StatusOffset {
constexpr int Major = 0;
constexpr int Minor = 1;
constexpr int OutsideNew = 3; // "T1 - 3 (внеш.)", new layout
constexpr int Mode = 11;
constexpr int Sub = 13;
constexpr int ControllerId = 14; // 32-bit
constexpr int Box1Inputs = 18;
constexpr int Box2Inputs = 20;
constexpr int Box1Temp1Old = 22;
constexpr int Box1Temp2OldOrT11 = 23;
constexpr int Box2Temp1Old = 24;
constexpr int Box2Temp2OldOrT12 = 25;
constexpr int PhaseVoltages = 26; // three 16-bit
constexpr int Links2 = 32;
constexpr int Links1 = 33;
constexpr int Box3Climate = 34;
constexpr int PhaseFlags = 35;
constexpr int Box2Climate = 36;
constexpr int Box1Climate = 37;
constexpr int Alarms = 38; // 16-bit
constexpr int MeterType = 40;
constexpr int MeterError = 41;
constexpr int Energy = 42;      // 32-bit
constexpr int PhasePowers = 46; // three 16-bit
constexpr int RectifierAlarms = 54;
constexpr int RectifierStatus = 56;
constexpr int RectifierValues = 58; // ten 32-bit fields
constexpr int RectifierComm = 98;
constexpr int BatteryMode = 100;
constexpr int Box3Temp1Old = 102;
constexpr int Box3Temp2OldOrT1Avg = 103;
constexpr int Box3Inputs = 104;
constexpr int EchoTemperatures = 106; // 14 bytes
constexpr int EchoAcUpper = 120;
constexpr int EchoAcLower = 122;
constexpr int EchoAcHysteresis = 125;
constexpr int EchoBatteryCabinets = 127;
constexpr int EchoConfigServerPort = 132;
constexpr int PortModeAndRectifier = 134;
constexpr int T21 = 137;
constexpr int T22 = 139;
constexpr int T2Avg = 141;
constexpr int T31 = 143;
constexpr int T32 = 145;
constexpr int T3Avg = 147;
constexpr int T23 = 149;
constexpr int T24 = 151;
} // namespace StatusOffset

// The "no information" value of a temperature byte: 255 in the old layout, 99 in the others.
std::uint8_t noTemperature(const Firmware& fw);

QByteArray buildStatusBlock(const Firmware& fw, const SiteModel& site, const ParamStore& params);

// "ZVK" + two hex digits per byte + CRC.
QByteArray statusLine(const QByteArray& block);

} // namespace zvk::sim
