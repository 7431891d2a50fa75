#pragma once
// A telecom site as the controller sees it: three cabinets whose temperatures drift with the
// weather and answer to their heaters and coolers, doors that open now and then, the mains with
// its three phases, an energy meter that counts, a rectifier plant. One step is one second.

#include "core/ParamStore.h"

#include <array>
#include <cstdint>
#include <random>

namespace zvk::sim {

struct Cabinet {
    double air = 20.0;            // air temperature, °C
    std::array<double, 4> bias{}; // per-sensor offsets
    bool heater = false;
    bool cooler = false;
    bool freeCooling = false; // box 1 only
    bool mixer = false;       // box 1 only
    bool belowLower = false;  // "НАП"
    bool aboveUpper = false;  // "ВАП"
    int doorOpenSeconds = 0;  // > 0 while the door stands open

    int sensor(int i) const; // i from 0; whole degrees
    int average() const;     // of sensors 0 and 1
    bool doorOpen() const { return doorOpenSeconds > 0; }
    // Discrete inputs, bit 1 = normal (bits 2 and 4: detector not connected).
    std::uint16_t inputs(bool box1) const;
    std::uint8_t climateFlags(bool box1) const;
};

class SiteModel {
public:
    explicit SiteModel(std::uint32_t seed);

    void step(const ParamStore& params);

    const Cabinet& cabinet(int box) const { return m_cabinets[box]; }
    Cabinet& cabinet(int box) { return m_cabinets[box]; }
    int outside() const;
    double outsideExact() const { return m_outside; }
    int phaseVoltage(int phase) const;
    int phasePower(int phase) const;
    std::uint32_t energyWh() const { return static_cast<std::uint32_t>(m_energyWh); }
    bool phaseSagging(int phase) const { return m_sagSeconds > 0 && m_sagPhase == phase; }
    std::uint32_t seconds() const { return m_seconds; }
    // Rectifier plant values that move a little.
    double dcVoltage() const { return m_dcVoltage; }
    double loadCurrent() const { return m_loadCurrent; }
    double batteryCurrent() const { return m_batteryCurrent; }
    bool airConditionerAlarm = false; // set by the air-conditioner model

    // Fixed values, for a site that is set up rather than simulated (tests, --static).
    void setOutside(double celsius) { m_outside = celsius; }
    void setPhaseVoltage(int phase, double volts) { m_voltage[phase] = volts; }
    void setEnergyWh(double wh) { m_energyWh = wh; }

    // Restarts the climate control of a cabinet ("ZVK+RELOAD_..._CONDITION").
    void reloadClimate(int box);

    std::mt19937& rng() { return m_rng; }

private:
    double noise(double sigma);
    void stepCabinet(int box, const ParamStore& params);

    std::mt19937 m_rng;
    std::array<Cabinet, 3> m_cabinets;
    double m_outside = 12.0;
    double m_weather = 0.0; // slow random part of the outside temperature
    std::array<double, 3> m_voltage{230, 230, 230};
    double m_energyWh = 1234567.0;
    int m_sagSeconds = 0;
    int m_sagPhase = 0;
    std::uint32_t m_seconds = 0;
    double m_dcVoltage = 54.0;
    double m_loadCurrent = 24.0;
    double m_batteryCurrent = 0.4;
};

} // namespace zvk::sim
