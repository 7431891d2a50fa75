#pragma once
// The status view as plain data: what one status block sets on the two status tabs. The decoder
// writes it, the window draws it, tests read it. A default-constructed view is the design state the
// window shows before the first block.

#include "link/Rgb.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace zvk {

namespace StatusColour {
constexpr Rgb Green = rgb(154, 241, 124);
constexpr Rgb Red = rgb(255, 100, 100);
constexpr Rgb Yellow = rgb(255, 255, 0);
constexpr Rgb White = rgb(255, 255, 255);
// The system's button-face colour belongs to the window's palette; alpha 0 marks it here.
constexpr Rgb ButtonFace = 0x00000000u;
// Indicator panels' own colours.
constexpr Rgb Fuchsia = rgb(255, 0, 255);
constexpr Rgb Aqua = rgb(0, 255, 255);
constexpr Rgb Lime = rgb(0, 255, 0);
} // namespace StatusColour

// One string grid: texts by (column, row), row 0 the header row, and a colour per data row when the
// grid has a row colour table. Reads outside the grid give an empty text and white; writes outside it
// are ignored.
class StatusGrid {
public:
    StatusGrid(int columns, int rows, bool rowColours);

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }

    const QString& text(int column, int row) const;
    void setText(int column, int row, const QString& text);

    bool hasRowColours() const { return !m_rowColours.isEmpty(); }
    Rgb rowColour(int row) const;
    void setRowColour(int row, Rgb colour);

    bool operator==(const StatusGrid&) const = default;

private:
    bool contains(int column, int row) const {
        return column >= 0 && column < m_columns && row >= 0 && row < m_rows;
    }

    int m_columns;
    int m_rows;
    QList<QString> m_texts;  // row by row
    QList<Rgb> m_rowColours; // indexed by row; empty without a table
};

struct IndicatorPanel {
    bool visible = false;
    Rgb colour = StatusColour::ButtonFace;
    bool operator==(const IndicatorPanel&) const = default;
};

// The configuration carried by a block read over the cable in Modbus mode: one value per control of
// the tab "Конфигурирование"; a field without a value leaves its control alone. It describes the last
// decoded block only: a block without the echo leaves every field empty.
struct ConfigEcho {
    std::optional<QString> Edit8, Edit9, Edit4, Edit6, Edit7, Edit5;       // equipment cabinet
    std::optional<QString> Edit16, Edit17, Edit12, Edit14, Edit15, Edit19; // battery cabinets
    std::optional<QString> Edit11, Edit18;                                 // hystereses T
    std::optional<QString> Edit10, Edit13, Edit20;                         // AC thresholds, hysteresis
    std::optional<int> RadioGroup1;                                        // battery cabinets, item 0..3
    std::optional<bool> sRadioButton1, sRadioButton2; // "Энергомера", "Меркурий-230"
    std::optional<QString> sEdit3;                    // configuration server port
    std::optional<int> RadioGroup2; // 0 "Режим Modbus", 1 "Режим конфигурационный"

    // Where each edit's value lies in the block; written in this order, then RadioGroup1, the meter
    // buttons, sEdit3 and RadioGroup2.
    struct Edit {
        const char* objectName;
        std::optional<QString> ConfigEcho::*value;
        int offset;
        int width; // bytes
    };
    static const std::array<Edit, 17>& edits();

    bool isEmpty() const;
    bool operator==(const ConfigEcho&) const = default;
};

struct StatusView {
    StatusView();

    // Tab "Текущее состояние".
    StatusGrid SG1, SG2, SG10; // discrete inputs of boxes 1, 2, 3
    StatusGrid SG3, SG4, SG11; // temperatures of boxes 1, 2, 3
    StatusGrid SG6;            // equipment links
    StatusGrid SG7;            // relay outputs
    // Tab "Текущее состояние - 2".
    StatusGrid SG8; // electricity meter
    StatusGrid SG5; // phase voltages
    StatusGrid SG9; // rectifier plant

    std::array<Rgb, 16> sg5CellColours; // [column * 4 + row], rows 0..3
    Rgb sg7OutputColour = StatusColour::White;

    std::array<IndicatorPanel, 16> panels; // sPanel2..sPanel15 at their numbers; 0 and 1 unused

    QString sLabel2;  // "Версия ПО:"
    QString sLabel8;  // "Подверсия ПО:"
    QString sLabel11; // "РЕЖИМ:"
    QString sEdit1;   // "IMEI блока:"
    QString GroupBox10Caption;
    QString statusPanel2;
    QString ControllerId;

    ConfigEcho echo;

    // SG1..SG11 by number; nullptr for other numbers.
    StatusGrid* grid(int number);
    const StatusGrid* grid(int number) const;
    IndicatorPanel& panel(int number) { return panels.at(number); }
    const IndicatorPanel& panel(int number) const { return panels.at(number); }
    Rgb sg5CellColour(int column, int row) const;
    void setSg5CellColour(int column, int row, Rgb colour);

    // Background of a data cell (row 1 and below) by the drawing rule of its grid; the header row takes
    // the grid's fixed-row colour, which is the window's.
    Rgb background(int gridNumber, int column, int row) const;

    bool operator==(const StatusView&) const = default;
};

// Panel captions and design state, sPanel2..sPanel15.
struct PanelDesign {
    int number;
    QString caption;
    Rgb colour;
    bool visible;
};
const std::array<PanelDesign, 14>& panelDesigns();

} // namespace zvk
