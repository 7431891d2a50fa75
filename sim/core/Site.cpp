#include "core/Site.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zvk::sim {

namespace {
constexpr double DayLengthSeconds = 1800.0; // a compressed day, so a session sees the weather turn
constexpr double DoorOpensPerSecond = 1.0 / 1200.0;
constexpr double SagsPerSecond = 1.0 / 3600.0;
// Heat the equipment in a cabinet gives off, and what heaters and coolers add or take, in °C of
// the temperature the cabinet would settle at.
constexpr std::array<double, 3> InternalHeat{9.0, 3.0, 3.0};
constexpr double HeaterGain = 18.0;
constexpr double CoolerGain = 20.0;
constexpr double FreeCoolingGain = 8.0;
constexpr double Settling = 0.01; // share of the gap closed per second
} // namespace

int Cabinet::sensor(int i) const {
    return static_cast<int>(std::lround(air + bias[i]));
}

int Cabinet::average() const {
    return static_cast<int>(std::lround((air + bias[0] + air + bias[1]) / 2.0));
}

std::uint16_t Cabinet::inputs(bool box1) const {
    // Smoke detector 2 is not fitted; everything else reports normal.
    std::uint16_t word = box1 ? 0x0FFB : 0x01FB;
    if (doorOpen())
        word &= ~std::uint16_t(0x0001);
    return word;
}

std::uint8_t Cabinet::climateFlags(bool box1) const {
    std::uint8_t f = 0;
    f |= heater ? 0x01 : 0;
    f |= cooler ? 0x02 : 0;
    f |= belowLower ? 0x04 : 0;
    f |= aboveUpper ? 0x08 : 0;
    if (box1) {
        f |= freeCooling ? 0x10 : 0;
        f |= mixer ? 0x20 : 0;
    }
    return f;
}

SiteModel::SiteModel(std::uint32_t seed) : m_rng(seed) {
    m_weather = noise(2.0);
    m_outside = 12.0 + m_weather;
    for (int b = 0; b < 3; ++b) {
        Cabinet& c = m_cabinets[b];
        c.air = m_outside + InternalHeat[b] + noise(0.5);
        c.bias = {noise(0.3), 0.8 + noise(0.3), noise(0.5), noise(0.5)};
    }
}

double SiteModel::noise(double sigma) {
    std::normal_distribution<double> d(0.0, sigma);
    return d(m_rng);
}

int SiteModel::outside() const {
    return static_cast<int>(std::lround(m_outside));
}

int SiteModel::phaseVoltage(int phase) const {
    return static_cast<int>(std::lround(m_voltage[phase]));
}

int SiteModel::phasePower(int phase) const {
    double p = 850.0 + 120.0 * phase + 150.0 * std::sin(m_seconds / 97.0 + phase);
    if (phase == 0 && m_cabinets[0].heater)
        p += 1500.0;
    if (phase == 1 && (m_cabinets[0].cooler || m_cabinets[1].cooler || m_cabinets[2].cooler))
        p += 800.0;
    if (phase == 2 && (m_cabinets[1].heater || m_cabinets[2].heater))
        p += 600.0;
    if (phaseSagging(phase))
        p *= 0.6;
    return static_cast<int>(std::lround(p));
}

void SiteModel::reloadClimate(int box) {
    Cabinet& c = m_cabinets[box];
    c.heater = c.cooler = c.freeCooling = c.mixer = false;
}

void SiteModel::stepCabinet(int box, const ParamStore& params) {
    Cabinet& c = m_cabinets[box];
    const Thresholds t = cabinetThresholds(params, box != 0);

    double target = m_outside + InternalHeat[box];
    target += c.heater ? HeaterGain : 0.0;
    target -= c.cooler ? CoolerGain : 0.0;
    target -= c.freeCooling ? FreeCoolingGain : 0.0;
    if (c.doorOpen())
        target = (target + m_outside) / 2.0;
    c.air += (target - c.air) * Settling + noise(0.02);
    // The top sensor runs warm while the heater is on.
    c.bias[1] += ((c.heater ? 3.5 : 0.8) - c.bias[1]) * 0.02;

    const int avg = c.average();
    if (!c.heater && avg <= t.heaterOn)
        c.heater = true;
    else if (c.heater && avg >= t.heaterOff)
        c.heater = false;
    if (!c.cooler && avg >= t.coolerOn)
        c.cooler = true;
    else if (c.cooler && avg <= t.coolerOff)
        c.cooler = false;
    if (avg < t.lowerAlarm)
        c.belowLower = true;
    else if (avg >= t.lowerAlarm + t.hysteresis)
        c.belowLower = false;
    if (avg > t.upperAlarm)
        c.aboveUpper = true;
    else if (avg <= t.upperAlarm - t.hysteresis)
        c.aboveUpper = false;

    if (box == 0) {
        // Free cooling: fan on/off points and the lowest outside temperature it may run at.
        const int fcOn = params.signedByteAt("PGTFCU", 0);
        const int fcOff = params.signedByteAt("PGTFCU", 1);
        const int fcMin = params.signedByteAt("PGTFCU", 2);
        const int out = outside();
        if (!c.freeCooling && avg >= fcOn && out >= fcMin && out < avg - 2)
            c.freeCooling = true;
        else if (c.freeCooling && (avg <= fcOff || out < fcMin || out >= avg))
            c.freeCooling = false;
        // Mixer: runs while the two air sensors disagree by the "on" delta.
        const int delta = std::abs(c.sensor(0) - c.sensor(1));
        const int mixOn = params.byteAt("PorMIXER", 0);
        const int mixOff = params.byteAt("PorMIXER", 1);
        if (!c.mixer && delta >= mixOn)
            c.mixer = true;
        else if (c.mixer && delta <= mixOff)
            c.mixer = false;
    }

    std::uniform_real_distribution<double> u(0.0, 1.0);
    if (c.doorOpenSeconds > 0) {
        --c.doorOpenSeconds;
    } else if (u(m_rng) < DoorOpensPerSecond) {
        std::uniform_int_distribution<int> dur(20, 180);
        c.doorOpenSeconds = dur(m_rng);
    }
}

void SiteModel::step(const ParamStore& params) {
    ++m_seconds;
    m_weather += noise(0.02) - m_weather * 0.001;
    m_outside = 12.0 + 8.0 * std::sin(2.0 * std::numbers::pi * m_seconds / DayLengthSeconds) + m_weather;
    for (int b = 0; b < 3; ++b)
        stepCabinet(b, params);

    std::uniform_real_distribution<double> u(0.0, 1.0);
    if (m_sagSeconds > 0) {
        --m_sagSeconds;
    } else if (u(m_rng) < SagsPerSecond) {
        std::uniform_int_distribution<int> dur(10, 40);
        std::uniform_int_distribution<int> ph(0, 2);
        m_sagSeconds = dur(m_rng);
        m_sagPhase = ph(m_rng);
    }
    for (int p = 0; p < 3; ++p) {
        const double nominal = phaseSagging(p) ? 172.0 : 229.0 + p;
        m_voltage[p] += (nominal - m_voltage[p]) * 0.3 + noise(0.6);
        m_energyWh += phasePower(p) / 3600.0;
    }
    m_loadCurrent = std::clamp(m_loadCurrent + noise(0.1), 18.0, 32.0);
    m_batteryCurrent = std::clamp(m_batteryCurrent + noise(0.05), -1.0, 2.0);
    m_dcVoltage = std::clamp(m_dcVoltage + noise(0.01), 53.5, 54.5);
}

} // namespace zvk::sim
