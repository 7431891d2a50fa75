#include "status/StatusView.h"

#include "status/StatusTables.h"

namespace zvk {

using namespace StatusColour;

StatusGrid::StatusGrid(int columns, int rows, bool rowColours)
    : m_columns(columns), m_rows(rows), m_texts(columns * rows) {
    if (rowColours)
        m_rowColours = QList<Rgb>(rows, White);
}

const QString& StatusGrid::text(int column, int row) const {
    static const QString empty;
    return contains(column, row) ? m_texts[row * m_columns + column] : empty;
}

void StatusGrid::setText(int column, int row, const QString& text) {
    if (contains(column, row))
        m_texts[row * m_columns + column] = text;
}

Rgb StatusGrid::rowColour(int row) const {
    return row >= 0 && row < m_rowColours.size() ? m_rowColours[row] : White;
}

void StatusGrid::setRowColour(int row, Rgb colour) {
    if (row >= 0 && row < m_rowColours.size())
        m_rowColours[row] = colour;
}

const std::array<ConfigEcho::Edit, 17>& ConfigEcho::edits() {
    static const std::array<Edit, 17> table{{
        {"Edit8", &ConfigEcho::Edit8, 106, 1},
        {"Edit9", &ConfigEcho::Edit9, 107, 1},
        {"Edit4", &ConfigEcho::Edit4, 108, 1},
        {"Edit6", &ConfigEcho::Edit6, 109, 1},
        {"Edit7", &ConfigEcho::Edit7, 110, 1},
        {"Edit5", &ConfigEcho::Edit5, 111, 1},
        {"Edit16", &ConfigEcho::Edit16, 112, 1},
        {"Edit17", &ConfigEcho::Edit17, 113, 1},
        {"Edit12", &ConfigEcho::Edit12, 114, 1},
        {"Edit14", &ConfigEcho::Edit14, 115, 1},
        {"Edit15", &ConfigEcho::Edit15, 116, 1},
        {"Edit19", &ConfigEcho::Edit19, 117, 1},
        {"Edit11", &ConfigEcho::Edit11, 118, 1},
        {"Edit18", &ConfigEcho::Edit18, 119, 1},
        {"Edit10", &ConfigEcho::Edit10, 120, 2},
        {"Edit13", &ConfigEcho::Edit13, 122, 2},
        {"Edit20", &ConfigEcho::Edit20, 125, 1},
    }};
    return table;
}

bool ConfigEcho::isEmpty() const {
    return *this == ConfigEcho{};
}

const std::array<PanelDesign, 14>& panelDesigns() {
    static const std::array<PanelDesign, 14> table{{
        {2, QStringLiteral("ON Heater !"), Fuchsia, false},
        {3, QStringLiteral("Cooler"), Aqua, false},
        {4, QStringLiteral("ВАП"), ButtonFace, true},
        {5, QStringLiteral("НАП"), ButtonFace, true},
        {6, QStringLiteral("ON Heater !"), Fuchsia, false},
        {7, QStringLiteral("ON Cooler !"), Aqua, false},
        {8, QStringLiteral("ВАП"), ButtonFace, true},
        {9, QStringLiteral("НАП"), ButtonFace, true},
        {10, QStringLiteral("ON Heater !"), Fuchsia, false},
        {11, QStringLiteral("ON Cooler !"), Aqua, false},
        {12, QStringLiteral("ВАП"), ButtonFace, true},
        {13, QStringLiteral("НАП"), ButtonFace, true},
        {14, QStringLiteral("FC"), Lime, false},
        {15, QStringLiteral("Mix"), Yellow, false},
    }};
    return table;
}

namespace {

void setHeader(StatusGrid& grid, std::initializer_list<QString> captions) {
    int column = 0;
    for (const QString& caption : captions)
        grid.setText(column++, 0, caption);
}

void designInputs(StatusGrid& grid) {
    setHeader(grid, {QStringLiteral("№"), QStringLiteral("Назначение входа")});
    for (int row = 1; row <= 12; ++row) {
        grid.setText(0, row, QStringLiteral("D") + QString::number(row));
        grid.setText(1, row, QStringLiteral("Дискретный вход № ") + QString::number(row));
    }
}

void designTemperatures(StatusGrid& grid, const statustables::ClimateBox& box) {
    setHeader(grid, {QStringLiteral("Термодатчик"), QStringLiteral("Значение,°C")});
    for (const auto& row : box.rows)
        grid.setText(0, row.row, row.caption);
}

} // namespace

StatusView::StatusView()
    : SG1(2, 13, true), SG2(2, 13, true), SG10(2, 13, true), SG3(2, 5, false), SG4(2, 6, false),
      SG11(2, 4, false), SG6(2, 16, true), SG7(2, 17, true), SG8(2, 6, true), SG5(4, 4, false),
      SG9(2, 14, true), GroupBox10Caption(QStringLiteral(" Huawei  ")),
      ControllerId(QStringLiteral("22222222")) {
    designInputs(SG1);
    designInputs(SG2);
    designInputs(SG10);

    const auto& boxes = statustables::climateBoxes();
    designTemperatures(SG3, boxes[0]);
    designTemperatures(SG4, boxes[1]);
    designTemperatures(SG11, boxes[2]);

    setHeader(SG5, {QStringLiteral("Напряжение"), QStringLiteral("Значение, В"), QStringLiteral("НАП"),
                    QStringLiteral("ВАП")});
    SG5.setText(0, 1, QStringLiteral("U-A"));
    SG5.setText(0, 2, QStringLiteral("U-B"));
    SG5.setText(0, 3, QStringLiteral("U-C"));
    sg5CellColours.fill(White);

    setHeader(SG6, {QStringLiteral("Оборудование"), QStringLiteral("Связь")});
    for (const auto& link : statustables::links())
        SG6.setText(0, link.row, link.caption);

    setHeader(SG7, {QStringLiteral("№"), QStringLiteral("Назначение выхода")});
    for (int row = 1; row <= 16; ++row) {
        SG7.setText(0, row, QStringLiteral("OUT ") + QString::number(row));
        SG7.setText(1, row, QStringLiteral("Дискретный выход № ") + QString::number(row));
    }

    setHeader(SG8, {QStringLiteral("Параметр"), QStringLiteral("Значение")});
    const auto& meter = statustables::meterCaptions();
    for (int row = 1; row <= 5; ++row)
        SG8.setText(0, row, meter[row - 1]);

    setHeader(SG9, {QStringLiteral("Параметр"), QStringLiteral("Значение")});

    for (const auto& design : panelDesigns())
        panels[design.number] = {design.visible, design.colour};
}

StatusGrid* StatusView::grid(int number) {
    return const_cast<StatusGrid*>(static_cast<const StatusView*>(this)->grid(number));
}

const StatusGrid* StatusView::grid(int number) const {
    switch (number) {
    case 1:
        return &SG1;
    case 2:
        return &SG2;
    case 3:
        return &SG3;
    case 4:
        return &SG4;
    case 5:
        return &SG5;
    case 6:
        return &SG6;
    case 7:
        return &SG7;
    case 8:
        return &SG8;
    case 9:
        return &SG9;
    case 10:
        return &SG10;
    case 11:
        return &SG11;
    default:
        return nullptr;
    }
}

Rgb StatusView::sg5CellColour(int column, int row) const {
    if (column < 0 || column > 3 || row < 0 || row > 3)
        return White;
    return sg5CellColours[column * 4 + row];
}

void StatusView::setSg5CellColour(int column, int row, Rgb colour) {
    if (column >= 0 && column <= 3 && row >= 0 && row <= 3)
        sg5CellColours[column * 4 + row] = colour;
}

Rgb StatusView::background(int gridNumber, int column, int row) const {
    const StatusGrid* g = grid(gridNumber);
    if (!g)
        return White;
    switch (gridNumber) {
    case 5:
        return sg5CellColour(column, row);
    case 7:
        return column == 0 ? sg7OutputColour : g->rowColour(row);
    case 3:
    case 4:
    case 11:
        return White;
    default:
        return column == 0 ? White : g->rowColour(row);
    }
}

} // namespace zvk
