#include "core/StatusBlock.h"

#include "link/Frames.h"

#include <cmath>

namespace zvk::sim {

namespace {

class Writer {
public:
    explicit Writer(int size) : m_bytes(size, '\0') {}
    void u8(int at, int v) { m_bytes[at] = static_cast<char>(v & 0xFF); }
    void u16(int at, int v) {
        u8(at, v >> 8);
        u8(at + 1, v);
    }
    void u32(int at, std::int64_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        u16(at, static_cast<int>(u >> 16));
        u16(at + 2, static_cast<int>(u & 0xFFFF));
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

std::uint16_t alarmWord(const Firmware& fw, const SiteModel& site, const ParamStore& params) {
    const int lowerAc = static_cast<int>(params.field("PGU", 3, 3));
    bool mainsLoss = false;
    for (int p = 0; p < 3; ++p)
        mainsLoss = mainsLoss || site.phaseVoltage(p) < lowerAc;
    const Cabinet& box1 = site.cabinet(0);
    const bool door = box1.doorOpen() || site.cabinet(1).doorOpen() || site.cabinet(2).doorOpen();

    std::uint16_t w = 0;
    w |= mainsLoss ? 0x0001 : 0;
    w |= box1.aboveUpper ? 0x0002 : 0;
    w |= box1.belowLower ? 0x0004 : 0;
    w |= door ? 0x0008 : 0;
    if (!fw.extendedPower())
        return w; // six outputs; smoke (bit 4) and rectifier (bit 5) stay quiet
    if (fw.fullAlarmList()) {
        const bool batteryHigh = site.cabinet(1).aboveUpper || site.cabinet(2).aboveUpper;
        const bool batteryLow = site.cabinet(1).belowLower || site.cabinet(2).belowLower;
        w |= batteryHigh ? 0x2000 : 0;
        w |= batteryLow ? 0x4000 : 0;
        w |= site.airConditionerAlarm ? 0x8000 : 0;
    }
    return w;
}

std::uint8_t phaseFlags(const SiteModel& site, const ParamStore& params) {
    const int upper = static_cast<int>(params.field("PGU", 0, 3));
    const int lower = static_cast<int>(params.field("PGU", 3, 3));
    std::uint8_t f = 0;
    for (int p = 0; p < 3; ++p) {
        if (site.phaseVoltage(p) < lower)
            f |= static_cast<std::uint8_t>(1u << (2 * p));
        if (site.phaseVoltage(p) > upper)
            f |= static_cast<std::uint8_t>(2u << (2 * p));
    }
    return f;
}

void writeRectifier(Writer& w, const SiteModel& site, int type) {
    using namespace StatusOffset;
    const auto milli = [](double v) { return static_cast<std::int64_t>(std::llround(v * 1000.0)); };
    const auto deci = [](double v) { return static_cast<std::int64_t>(std::llround(v * 10.0)); };
    const double batteryTemp = site.cabinet(1).air;
    if (type == 0) {               // Emerson: thousandths
        w.u16(RectifierStatus, 2); // normal
        w.u32(RectifierValues + 0, milli(site.dcVoltage()));
        w.u32(RectifierValues + 4, milli(site.loadCurrent()));
        w.u32(RectifierValues + 8, 30); // used capacity, %
        w.u32(RectifierValues + 12, milli(site.dcVoltage() - 0.05));
        w.u32(RectifierValues + 16, milli(site.batteryCurrent()));
        for (int p = 0; p < 3; ++p)
            w.u32(RectifierValues + 20 + 4 * p, std::int64_t(site.phaseVoltage(p)) * 1000);
        w.u32(RectifierValues + 32, milli(batteryTemp));
        w.u32(RectifierValues + 36, milli(batteryTemp + 0.7));
        w.u16(RectifierComm, 2); // normal
        w.u16(BatteryMode, 2);   // float charging
    } else {                     // Huawei: tenths
        w.u32(RectifierValues + 0, deci(site.dcVoltage()));
        w.u32(RectifierValues + 4, deci(site.loadCurrent()));
        w.u32(RectifierValues + 12, 535); // rated voltage 53.5 V
        w.u32(RectifierValues + 16, deci(site.batteryCurrent()));
        w.u32(RectifierValues + 20, deci(site.loadCurrent() + site.batteryCurrent()));
        w.u32(RectifierValues + 24, 4); // rectifier modules
        w.u32(RectifierValues + 32, deci(batteryTemp));
        w.u32(RectifierValues + 36, deci(batteryTemp + 0.7));
        w.u16(BatteryMode, 1); // float charging
    }
}

} // namespace

std::uint8_t noTemperature(const Firmware& fw) {
    return fw.oldTemperatureLayout() ? 0xFF : 99;
}

QByteArray buildStatusBlock(const Firmware& fw, const SiteModel& site, const ParamStore& params) {
    using namespace StatusOffset;
    Writer w(fw.blockSize());
    const Cabinet& b1 = site.cabinet(0);
    const Cabinet& b2 = site.cabinet(1);
    const Cabinet& b3 = site.cabinet(2);

    w.u8(Major, fw.major);
    w.u8(Minor, fw.minor);
    w.u8(Mode, params.byteAt("GENERAL_MODE", 0));
    w.u8(Sub, fw.sub);
    w.u32(ControllerId, params.field("IMEI_EEPROM", 0, 8));
    w.u16(Box1Inputs, b1.inputs(true));
    w.u16(Box2Inputs, b2.inputs(false));
    w.u16(Box3Inputs, b3.inputs(false));

    if (fw.oldTemperatureLayout()) {
        w.u8(Box1Temp1Old, b1.sensor(0));
        w.u8(Box1Temp2OldOrT11, b1.sensor(1));
        w.u8(Box2Temp1Old, b2.sensor(0));
        w.u8(Box2Temp2OldOrT12, b2.sensor(1));
        w.u8(Box3Temp1Old, b3.sensor(0));
        w.u8(Box3Temp2OldOrT1Avg, b3.sensor(1));
    } else {
        w.u8(Box1Temp2OldOrT11, b1.sensor(0));
        w.u8(Box2Temp2OldOrT12, b1.sensor(1));
        w.u8(Box3Temp2OldOrT1Avg, b1.average());
        w.u8(T21, b2.sensor(0));
        w.u8(T22, b2.sensor(1));
        w.u8(T2Avg, b2.average());
        w.u8(T31, b3.sensor(0));
        w.u8(T32, b3.sensor(1));
        w.u8(T3Avg, b3.average());
        if (fw.newTemperatureLayout())
            w.u8(OutsideNew, site.outside());
        if (fw.extraBox2Sensors()) {
            w.u8(T23, b2.sensor(2));
            w.u8(T24, b2.sensor(3));
        }
    }

    // Every module and sensor answers; T2-3 and T2-4 exist only with the extra box-2 sensors.
    w.u8(Links1, 0xFF);
    w.u8(Links2, fw.extraBox2Sensors() ? 0x7F : 0x1F);
    w.u8(Box1Climate, b1.climateFlags(true));
    w.u8(Box2Climate, b2.climateFlags(false));
    w.u8(Box3Climate, b3.climateFlags(false));
    w.u16(Alarms, alarmWord(fw, site, params));

    if (fw.extendedPower()) {
        for (int p = 0; p < 3; ++p) {
            w.u16(PhaseVoltages + 2 * p, site.phaseVoltage(p));
            w.u16(PhasePowers + 2 * p, site.phasePower(p));
        }
        w.u8(PhaseFlags, phaseFlags(site, params));
        w.u8(MeterError, 0);
        w.u32(Energy, site.energyWh());
    }
    w.u8(MeterType, params.byteAt("TIPES", 0));

    const int rectifier = params.byteAt("TIPIVP", 0) & 0x0F;
    w.u16(RectifierAlarms, 0);
    writeRectifier(w, site, rectifier);

    // Configuration echo: the cabinet thresholds in the order the block keeps them.
    static constexpr int EchoOrder[6] = {0, 1, 3, 4, 5, 6}; // upper, lower, heater on/off, cooler on/off
    for (int i = 0; i < 6; ++i) {
        w.u8(EchoTemperatures + i, params.byteAt("PGT", EchoOrder[i]));
        w.u8(EchoTemperatures + 6 + i, params.byteAt("PGTAKB", EchoOrder[i]));
    }
    w.u8(EchoTemperatures + 12, params.byteAt("PGT", 2));
    w.u8(EchoTemperatures + 13, params.byteAt("PGTAKB", 2));
    w.u16(EchoAcUpper, static_cast<int>(params.field("PGU", 0, 3)));
    w.u16(EchoAcLower, static_cast<int>(params.field("PGU", 3, 3)));
    w.u8(EchoAcHysteresis, static_cast<int>(params.field("PGU", 6, 2)));
    w.u8(EchoBatteryCabinets, params.byteAt("KOLAKB", 0));
    w.u16(EchoConfigServerPort, static_cast<int>(params.field("CONSRV", 8, 4)));
    // High nibble: the configuration port (0 Modbus); low nibble: the rectifier type.
    const bool textPort = params.byteAt("MODECONFIGPORT", 0) != 0;
    w.u8(PortModeAndRectifier, (textPort ? 0x10 : 0x00) | rectifier);
    return w.bytes();
}

QByteArray statusLine(const QByteArray& block) {
    return AddCRC("ZVK" + PlainHex(block));
}

} // namespace zvk::sim
