#pragma once
// The contents of the tabs "Текущее состояние" and "Текущее состояние - 2": the eleven status
// grids, the climate indicators, the version and identifier labels and the "ППК" buttons. The
// window gives the two pages; render() shows a status view on them.

#include "status/StatusBlock.h"
#include "status/StatusView.h"

#include <QObject>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QWidget;

namespace zvk {

class StatusGridModel;

class StatusTabs : public QObject, public StatusRenderer {
    Q_OBJECT
public:
    // Builds the controls on the two pages (which keep owning them) and shows the design state.
    StatusTabs(QWidget* currentStatePage, QWidget* currentState2Page, QObject* parent = nullptr);
    ~StatusTabs() override;

    // Shows a view: changed cells, panels and labels only; each grid repaints once.
    void render(const StatusView& view) override;

    QTableView* grid(int number) const;                     // SG1..SG11
    QLabel* panel(int number) const;                        // sPanel2..sPanel15
    QPushButton* sBitBtn17() const { return m_buttons[0]; } // "ППК", box 1
    QPushButton* sBitBtn18() const { return m_buttons[1]; } // "ППК", box 2
    QPushButton* sBitBtn19() const { return m_buttons[2]; } // "ППК", box 3
    QLabel* sLabel2() const { return m_sLabel2; }
    QLabel* sLabel8() const { return m_sLabel8; }
    QLabel* sLabel11() const { return m_sLabel11; }
    QLineEdit* sEdit1() const { return m_sEdit1; }
    QGroupBox* GroupBox10() const { return m_groupBox10; }

private:
    void buildCurrentState(QWidget* page);
    void buildCurrentState2(QWidget* page);
    QGroupBox* gridGroup(QWidget* page, int number, const QString& caption);
    QTableView* makeGrid(QWidget* parent, int number, const QString& accessibleName);
    QWidget* temperatureGroup(QWidget* page, int box);
    QLabel* makePanel(QWidget* parent, int number);
    void applyPanel(int number, const IndicatorPanel& state);

    std::array<QTableView*, 12> m_grids{};
    std::array<StatusGridModel*, 12> m_models{};
    std::array<QLabel*, 16> m_panels{};
    std::array<IndicatorPanel, 16> m_panelStates{};
    std::array<QPushButton*, 3> m_buttons{};
    QLabel* m_sLabel2 = nullptr;
    QLabel* m_sLabel8 = nullptr;
    QLabel* m_sLabel11 = nullptr;
    QLineEdit* m_sEdit1 = nullptr;
    QGroupBox* m_groupBox10 = nullptr;
};

} // namespace zvk
