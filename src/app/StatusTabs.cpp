#include "app/StatusTabs.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace zvk {

namespace {

constexpr int Centred = -1;

// Geometry and text placement of one grid. Heights and widths are those of the cell itself; the grid
// line of 1 pixel comes on top, as in the original grids.
struct GridDesign {
    int number;
    int rowHeight;
    std::array<int, 4> widths; // 0 past the last column
    bool bold;
    int headerTop;                 // vertical text offset in the header row
    int dataTop;                   // and in the data rows
    std::array<int, 4> dataIndent; // per column: Centred, or the offset from the left edge
};

const std::array<GridDesign, 11>& gridDesigns() {
    static const std::array<GridDesign, 11> table{{
        {1, 13, {30, 182}, false, 0, 0, {Centred, Centred}},
        {2, 13, {30, 182}, false, 0, 0, {Centred, Centred}},
        {10, 13, {30, 182}, false, 0, 0, {Centred, Centred}},
        {3, 14, {72, 68}, false, 1, 1, {Centred, Centred}},
        {4, 14, {72, 68}, false, 1, 1, {Centred, Centred}},
        {11, 14, {72, 68}, false, 1, 1, {Centred, Centred}},
        {6, 14, {188, 93}, false, 0, 0, {10, Centred}},
        {7, 14, {51, 230}, false, 0, 0, {Centred, Centred}},
        {8, 22, {238, 183}, true, 1, 2, {5, 5}},
        {5, 22, {99, 107, 60, 55}, true, 1, 2, {Centred, Centred, Centred, Centred}},
        {9, 16, {201, 543}, false, 1, 2, {5, 5}},
    }};
    return table;
}

const GridDesign& gridDesign(int number) {
    const auto& table = gridDesigns();
    return *std::find_if(table.begin(), table.end(),
                         [number](const GridDesign& d) { return d.number == number; });
}

// The grids keep the pixel geometry of the original form, and the page holds them only with a
// small sans face of fixed pixel size, as the original did.
QFont statusFont(const QFont& base, int pixels, bool bold) {
    QFont font = base;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont gridFont(const QFont& base, bool bold) {
    return statusFont(base, bold ? 12 : 11, bold);
}

constexpr int CaptionPixels = 12;

QColor toColor(Rgb colour) {
    return QColor::fromRgb(colour);
}

} // namespace

// One grid's texts and cell backgrounds, copied from the status view.
class StatusGridModel : public QAbstractTableModel {
public:
    StatusGridModel(int number, const StatusView& view, QObject* parent)
        : QAbstractTableModel(parent), m_number(number), m_grid(*view.grid(number)) {
        m_backgrounds.resize(m_grid.columns() * m_grid.rows());
        fillBackgrounds(view, m_backgrounds);
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_grid.rows();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_grid.columns();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return m_grid.text(index.column(), index.row());
        case Qt::BackgroundRole:
            if (index.row() == 0)
                return {}; // the header row takes the grid's fixed-row colour
            return toColor(m_backgrounds[index.row() * m_grid.columns() + index.column()]);
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        // The header row is row 0 of the grid; the hidden header only names columns for accessibility.
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return m_grid.text(section, 0);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    // Takes the grid's state from view and signals one change covering every changed cell.
    void update(const StatusView& view) {
        const StatusGrid& grid = *view.grid(m_number);
        m_scratch.resize(m_backgrounds.size());
        fillBackgrounds(view, m_scratch);
        int top = m_grid.rows(), bottom = -1, left = m_grid.columns(), right = -1;
        for (int row = 0; row < m_grid.rows(); ++row) {
            for (int column = 0; column < m_grid.columns(); ++column) {
                const int i = row * m_grid.columns() + column;
                if (grid.text(column, row) == m_grid.text(column, row) && m_scratch[i] == m_backgrounds[i])
                    continue;
                top = std::min(top, row);
                bottom = std::max(bottom, row);
                left = std::min(left, column);
                right = std::max(right, column);
            }
        }
        if (bottom < 0)
            return;
        m_grid = grid;
        std::swap(m_backgrounds, m_scratch);
        Q_EMIT dataChanged(index(top, left), index(bottom, right), {Qt::DisplayRole, Qt::BackgroundRole});
    }

private:
    void fillBackgrounds(const StatusView& view, QList<Rgb>& out) const {
        for (int row = 0; row < m_grid.rows(); ++row)
            for (int column = 0; column < m_grid.columns(); ++column)
                out[row * m_grid.columns() + column] = view.background(m_number, column, row);
    }

    int m_number;
    StatusGrid m_grid;
    QList<Rgb> m_backgrounds;
    QList<Rgb> m_scratch;
};

namespace {

// The drawing rule of the status grids: background from the colour tables (the header row in the
// fixed-row colour), black text on table colours, centred or indented, at the grid's vertical offset; a text
// wider than its column starts at the left edge.
class StatusCellDelegate : public QStyledItemDelegate {
public:
    StatusCellDelegate(const GridDesign& design, QObject* parent)
        : QStyledItemDelegate(parent), m_design(design) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect rect = option.rect;
        const bool header = index.row() == 0;
        const QVariant background = index.data(Qt::BackgroundRole);
        const bool skinColoured = header || !background.isValid();
        painter->fillRect(rect,
                          skinColoured ? option.palette.color(QPalette::Button) : background.value<QColor>());
        if (option.state & QStyle::State_Selected) {
            QColor highlight = option.palette.color(QPalette::Highlight);
            highlight.setAlpha(90);
            painter->fillRect(rect, highlight);
        }

        const QString text = index.data(Qt::DisplayRole).toString();
        if (!text.isEmpty()) {
            const QStaticText& laidOut = layoutOf(text, option.font);
            const int width = qCeil(laidOut.size().width());
            const int indent = header ? Centred : m_design.dataIndent[std::clamp(index.column(), 0, 3)];
            int x = indent;
            if (indent == Centred) {
                x = qRound((rect.width() - width) / 2.0);
                if (x <= 0)
                    x = 0;
            }
            const int top = header ? m_design.headerTop : m_design.dataTop;
            const bool overflows = x + width > rect.width() || top + laidOut.size().height() > rect.height();
            if (overflows) {
                painter->save();
                painter->setClipRect(rect);
            }
            // Cells in the skin's button colour take its text colour, so headers stay readable on
            // the dark skin; cells coloured by the tables keep black text.
            painter->setPen(skinColoured ? option.palette.color(QPalette::ButtonText) : QColor(Qt::black));
            painter->setFont(option.font);
            painter->drawStaticText(rect.left() + x, rect.top() + top, laidOut);
            if (overflows)
                painter->restore();
        }

        if (option.state & QStyle::State_HasFocus) {
            painter->save();
            painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter->drawRect(rect.adjusted(0, 0, -1, -1));
            painter->restore();
        }
    }

private:
    // Cell texts repeat from block to block, so their layout is kept rather than redone per paint.
    const QStaticText& layoutOf(const QString& text, const QFont& font) const {
        if (font != m_layoutFont) {
            m_layouts.clear();
            m_layoutFont = font;
        }
        auto it = m_layouts.find(text);
        if (it != m_layouts.end())
            return *it;
        if (m_layouts.size() > 4096)
            m_layouts.clear();
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
        laidOut.prepare(QTransform(), font);
        return *m_layouts.insert(text, laidOut);
    }

    const GridDesign& m_design;
    mutable QHash<QString, QStaticText> m_layouts;
    mutable QFont m_layoutFont;
};

// A read-only grid whose selected cells copy as tab-separated text.
class StatusGridView : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy)) {
            copySelection();
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }

private:
    void copySelection() {
        QModelIndexList cells = selectionModel()->selectedIndexes();
        if (cells.isEmpty() && currentIndex().isValid())
            cells.append(currentIndex());
        if (cells.isEmpty())
            return;
        std::sort(cells.begin(), cells.end());
        int top = cells.front().row(), bottom = top, left = cells.front().column(), right = left;
        for (const QModelIndex& cell : cells) {
            top = std::min(top, cell.row());
            bottom = std::max(bottom, cell.row());
            left = std::min(left, cell.column());
            right = std::max(right, cell.column());
        }
        QList<QStringList> table(bottom - top + 1, QStringList(right - left + 1));
        for (const QModelIndex& cell : cells)
            table[cell.row() - top][cell.column() - left] = cell.data().toString();
        QStringList lines;
        for (const QStringList& row : table)
            lines.append(row.join(u'\t'));
        QApplication::clipboard()->setText(lines.join(u'\n'));
    }
};

QLabel* captionLabel(QWidget* parent, const QString& text, const char* objectName) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setFont(statusFont(parent->font(), CaptionPixels, false));
    return label;
}

QLabel* valueLabel(QWidget* parent, const char* objectName, const QString& caption) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setAccessibleName(caption);
    label->setFont(statusFont(parent->font(), 13, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
    label->setMinimumWidth(40);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

struct TemperatureBox {
    int grid;
    const char* caption;
    const char* groupName;
    const char* buttonName;
    // Panels in two columns, top to bottom.
    std::array<int, 6> panels;
};

const std::array<TemperatureBox, 3>& temperatureBoxes() {
    static const std::array<TemperatureBox, 3> table{{
        {3, " Температура в боксе № 1 ", "groupTemperature1", "sBitBtn17", {2, 3, 14, 15, 5, 4}},
        {4, " Температура в боксе № 2 ", "groupTemperature2", "sBitBtn18", {6, 7, 0, 0, 9, 8}},
        {11, " Температура в боксе № 3 ", "groupTemperature3", "sBitBtn19", {10, 11, 0, 0, 13, 12}},
    }};
    return table;
}

} // namespace

StatusTabs::StatusTabs(QWidget* currentStatePage, QWidget* currentState2Page, QObject* parent)
    : QObject(parent) {
    buildCurrentState(currentStatePage);
    buildCurrentState2(currentState2Page);
    for (const auto& design : panelDesigns())
        applyPanel(design.number, {design.visible, design.colour});
    render(StatusView());
}

StatusTabs::~StatusTabs() = default;

QTableView* StatusTabs::makeGrid(QWidget* parent, int number, const QString& accessibleName) {
    const GridDesign& design = gridDesign(number);
    auto* view = new StatusGridView(parent);
    view->setObjectName(QStringLiteral("SG") + QString::number(number));
    view->setAccessibleName(accessibleName.trimmed());
    view->setFont(gridFont(parent->font(), design.bold));

    auto* model = new StatusGridModel(number, StatusView(), view);
    m_models[number] = model;
    view->setModel(model);
    view->setItemDelegate(new StatusCellDelegate(design, view));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::ContiguousSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);

    QHeaderView* rows = view->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(design.rowHeight + 1);
    QHeaderView* columns = view->horizontalHeader();
    columns->hide();
    columns->setMinimumSectionSize(1);
    columns->setSectionResizeMode(QHeaderView::Fixed);
    int width = 0;
    for (int column = 0; column < model->columnCount(); ++column) {
        view->setColumnWidth(column, design.widths[column] + 1);
        width += design.widths[column] + 1;
    }
    const int frame = 2 * view->frameWidth();
    view->setFixedSize(width + frame, model->rowCount() * (design.rowHeight + 1) + frame);
    m_grids[number] = view;
    return view;
}

QGroupBox* StatusTabs::gridGroup(QWidget* page, int number, const QString& caption) {
    auto* group = new QGroupBox(caption, page);
    group->setObjectName(QStringLiteral("groupSG") + QString::number(number));
    group->setFont(statusFont(page->font(), CaptionPixels, false));
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->addWidget(makeGrid(group, number, caption));
    group->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return group;
}

QLabel* StatusTabs::makePanel(QWidget* parent, int number) {
    const auto& designs = panelDesigns();
    const auto& design = *std::find_if(designs.begin(), designs.end(),
                                       [number](const PanelDesign& d) { return d.number == number; });
    auto* panel = new QLabel(design.caption, parent);
    panel->setObjectName(QStringLiteral("sPanel") + QString::number(number));
    panel->setAccessibleName(design.caption);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    panel->setFixedSize(78, 19);
    panel->setFont(statusFont(parent->font(), 11, true));
    // A hidden panel keeps its place, so its neighbours do not move.
    QSizePolicy policy = panel->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    panel->setSizePolicy(policy);
    m_panels[number] = panel;
    return panel;
}

QWidget* StatusTabs::temperatureGroup(QWidget* page, int box) {
    const TemperatureBox& design = temperatureBoxes()[box];
    const QString caption = QString::fromUtf8(design.caption);
    auto* group = new QGroupBox(caption, page);
    group->setObjectName(QString::fromLatin1(design.groupName));
    group->setFont(statusFont(page->font(), CaptionPixels, false));
    group->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(8);
    layout->addWidget(makeGrid(group, design.grid, caption), 0, Qt::AlignTop);

    auto* panels = new QGridLayout;
    panels->setSpacing(3);
    int slot = 0;
    for (int number : design.panels) {
        if (number)
            panels->addWidget(makePanel(group, number), slot / 2, slot % 2);
        ++slot;
    }
    auto* button = new QPushButton(QStringLiteral("ППК"), group);
    button->setObjectName(QString::fromLatin1(design.buttonName));
    button->setAccessibleName(QStringLiteral("ППК"));
    button->setAccessibleDescription(caption.trimmed());
    button->setFixedSize(78, 24);
    m_buttons[box] = button;
    panels->addWidget(button, 3, 1);
    panels->setRowStretch(4, 1);
    layout->addLayout(panels);
    return group;
}

void StatusTabs::buildCurrentState(QWidget* page) {
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(8, 4, 8, 4);
    columns->setSpacing(10);

    auto* inputs = new QVBoxLayout;
    inputs->setSpacing(2);
    inputs->addWidget(gridGroup(page, 1, QStringLiteral("Состояние дискретных входов бокса № 1")));
    inputs->addWidget(gridGroup(page, 2, QStringLiteral("Состояние дискретных входов бокса № 2")));
    inputs->addWidget(gridGroup(page, 10, QStringLiteral("Состояние дискретных входов бокса № 3")));
    inputs->addStretch();
    columns->addLayout(inputs);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(6);
    auto* header = new QGridLayout;
    header->setHorizontalSpacing(6);
    header->setVerticalSpacing(6);
    m_sLabel2 = valueLabel(page, "sLabel2", QStringLiteral("Версия ПО:"));
    m_sLabel8 = valueLabel(page, "sLabel8", QStringLiteral("Подверсия ПО:"));
    m_sLabel11 = valueLabel(page, "sLabel11", QStringLiteral("РЕЖИМ:"));
    m_sEdit1 = new QLineEdit(page);
    m_sEdit1->setObjectName(QStringLiteral("sEdit1"));
    m_sEdit1->setReadOnly(true);
    m_sEdit1->setAccessibleName(QStringLiteral("IMEI блока:"));
    m_sEdit1->setFixedWidth(110);
    m_sEdit1->setFont(statusFont(page->font(), 13, true));
    {
        QPalette palette = m_sEdit1->palette();
        palette.setColor(QPalette::Text, Qt::red);
        m_sEdit1->setPalette(palette);
    }
    const struct {
        const char* caption;
        const char* name;
        QWidget* value;
        int row, column;
    } fields[] = {
        {"Версия ПО:", "labelVersion", m_sLabel2, 0, 0},
        {"Подверсия ПО:", "labelSubversion", m_sLabel8, 0, 2},
        {"РЕЖИМ:", "labelMode", m_sLabel11, 1, 0},
        {"IMEI блока:", "labelImei", m_sEdit1, 1, 2},
    };
    for (const auto& field : fields) {
        QLabel* label = captionLabel(page, QString::fromUtf8(field.caption), field.name);
        label->setBuddy(field.value);
        header->addWidget(label, field.row, field.column);
        header->addWidget(field.value, field.row, field.column + 1);
    }
    header->setColumnStretch(4, 1);
    middle->addLayout(header);
    middle->addSpacing(4);
    for (int box = 0; box < 3; ++box)
        middle->addWidget(temperatureGroup(page, box));
    middle->addStretch();
    columns->addLayout(middle);

    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    right->addWidget(gridGroup(page, 6, QStringLiteral(" Связь с оборудованием ")));
    right->addWidget(gridGroup(page, 7, QStringLiteral(" Состояние релейных выходов ")));
    right->addStretch();
    columns->addLayout(right);
    columns->addStretch();
}

void StatusTabs::buildCurrentState2(QWidget* page) {
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(8, 6, 8, 6);
    rows->setSpacing(8);

    const QString meterCaption = QStringLiteral(" Счётчик электроэнергии  ");
    auto* meter = new QGroupBox(meterCaption, page);
    meter->setObjectName(QStringLiteral("groupMeter"));
    meter->setFont(statusFont(page->font(), CaptionPixels, false));
    meter->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* meterLayout = new QHBoxLayout(meter);
    meterLayout->setContentsMargins(6, 4, 6, 6);
    meterLayout->setSpacing(12);
    meterLayout->addWidget(makeGrid(meter, 8, meterCaption), 0, Qt::AlignTop);
    auto* voltages = new QVBoxLayout;
    voltages->setSpacing(2);
    const QString voltageCaption = QStringLiteral("Фазные напряжения 220 В");
    QLabel* voltageLabel = captionLabel(meter, voltageCaption, "labelPhaseVoltages");
    voltageLabel->setFont(statusFont(page->font(), CaptionPixels, true));
    QTableView* sg5 = makeGrid(meter, 5, voltageCaption);
    voltageLabel->setBuddy(sg5);
    voltages->addWidget(voltageLabel);
    voltages->addWidget(sg5);
    voltages->addStretch();
    meterLayout->addLayout(voltages);
    rows->addWidget(meter);

    m_groupBox10 = new QGroupBox(page);
    m_groupBox10->setObjectName(QStringLiteral("GroupBox10"));
    m_groupBox10->setFont(statusFont(page->font(), CaptionPixels, false));
    m_groupBox10->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* rectifierLayout = new QVBoxLayout(m_groupBox10);
    rectifierLayout->setContentsMargins(6, 4, 6, 6);
    rectifierLayout->addWidget(makeGrid(m_groupBox10, 9, QString()));
    rows->addWidget(m_groupBox10);
    rows->addStretch();
}

QTableView* StatusTabs::grid(int number) const {
    return number >= 1 && number <= 11 ? m_grids[number] : nullptr;
}

QLabel* StatusTabs::panel(int number) const {
    return number >= 2 && number <= 15 ? m_panels[number] : nullptr;
}

void StatusTabs::applyPanel(int number, const IndicatorPanel& state) {
    QLabel* panel = m_panels[number];
    panel->setVisible(state.visible);
    if (state.colour == StatusColour::ButtonFace) {
        // Follows the palette, so a skin change recolours an idle panel too.
        panel->setBackgroundRole(QPalette::Button);
    } else {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, toColor(state.colour));
        palette.setColor(QPalette::WindowText, Qt::black);
        panel->setPalette(palette);
        panel->setBackgroundRole(QPalette::Window);
    }
    m_panelStates[number] = state;
}

void StatusTabs::render(const StatusView& view) {
    for (int number = 1; number <= 11; ++number)
        m_models[number]->update(view);

    for (const auto& design : panelDesigns()) {
        const IndicatorPanel& state = view.panel(design.number);
        if (state != m_panelStates[design.number])
            applyPanel(design.number, state);
    }

    auto setValue = [](QLabel* label, const QString& text) {
        if (label->text() != text) {
            label->setText(text);
            label->setAccessibleDescription(text);
        }
    };
    setValue(m_sLabel2, view.sLabel2);
    setValue(m_sLabel8, view.sLabel8);
    setValue(m_sLabel11, view.sLabel11);
    if (m_sEdit1->text() != view.sEdit1)
        m_sEdit1->setText(view.sEdit1);
    if (m_groupBox10->title() != view.GroupBox10Caption) {
        m_groupBox10->setTitle(view.GroupBox10Caption);
        m_grids[9]->setAccessibleName(view.GroupBox10Caption.trimmed());
    }
}

} // namespace zvk
