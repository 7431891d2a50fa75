#pragma once
// The fixed tables of the status block: what each bit and byte means and the texts it shows. Each
// table is written once; the decoder and the design state of the view walk them.

#include "link/Rgb.h"

#include <QString>
#include <array>
#include <vector>

namespace zvk::statustables {

// Discrete inputs, the same for the three boxes: bit n shows in row n + 1.
struct InputBit {
    QString setText;
    Rgb setColour;
    QString clearText;
    Rgb clearColour;
};
const std::array<InputBit, 12>& inputBits();

// Equipment links, in processing order. A clear bit empties the SG6 row and overrides either a whole
// discrete-input grid ("No inform.") or one temperature cell ("No sensor").
struct LinkEntry {
    int byte;
    int bit;
    int row; // SG6 row
    QString caption;
    int overrideGrid; // 0: none; 1, 2, 10: "No inform." over rows 1..12; 3, 4, 11: "No sensor"
    int overrideRow;  // for "No sensor"
};
const std::array<LinkEntry, 15>& links();

// Temperatures: one row of SG3, SG4 or SG11 and its source byte per layout; -1 clears the row in that
// layout. A new-layout row with `extraOnly` is read only with the extra box-2 sensors.
struct TemperatureRow {
    int row;
    QString caption;
    int newByte;
    int intermediateByte;
    int oldByte;
    const char* logName; // "T1-1=;"
    bool extraOnly;
};
// The climate panels and log names of one box.
struct ClimateBox {
    int grid;      // 3, 4, 11
    int flagsByte; // 37, 36, 34
    const char* flagsName;
    int heaterPanel, coolerPanel, lowPanel, highPanel;
    int fcPanel, mixPanel; // 0 when the box has none
    const char* heaterLog;
    const char* coolerLog;
    std::vector<TemperatureRow> rows;
};
const std::array<ClimateBox, 3>& climateBoxes();

// Relay-output alarm names, 16 rows each; list B and C apply from major 20.
const std::array<QString, 16>& alarmListA();
const std::array<QString, 16>& alarmListB();
const std::array<QString, 16>& alarmListC();

// Rectifier rows of SG9.
enum class RectifierValue { Scaled, Count, Coded };
struct RectifierRow {
    QString name;
    int offset;
    int width; // 2: unsigned 16-bit; 4: signed 32-bit
    RectifierValue kind;
    QString unit;                      // after Scaled and Count values
    const std::vector<QString>* codes; // Coded: text after the number, indexed by value
};
const std::vector<RectifierRow>& emersonRows();
const std::vector<RectifierRow>& huaweiRows();

// Row captions of SG8 (rows 1..5).
const std::array<QString, 5>& meterCaptions();

} // namespace zvk::statustables
