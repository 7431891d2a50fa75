#pragma once
// The main window: the left panel with the link, poll and log controls, the tabs, the status bar.
// It owns the core objects, implements the operation UI with the progress window and message
// boxes, and turns clicks into calls of the core.

#include "link/Connection.h"
#include "link/LinkState.h"
#include "link/OperationLog.h"
#include "link/OperationUi.h"
#include "link/RequestEngine.h"
#include "link/SerialLink.h"
#include "link/TcpServerLink.h"
#include "modem/Modem.h"
#include "status/RfGraph.h"
#include "status/StatusLog.h"
#include "status/StatusPoll.h"
#include "status/StatusView.h"

#include <QDateTime>
#include <QMainWindow>
#include <QTimer>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QAction;

namespace zvk {

class LogWidget;
class StatusTabs;
class TForm2;
class TForm4;
class IniFile;

class TForm1 : public QMainWindow, public OperationUi {
    Q_OBJECT
public:
    static inline const QString BaseCaption = QStringLiteral("Tarvane v2.64");
    static inline const QString Title = QStringLiteral("Сервер-конфигуратор модулей передачи данных ZVK-35");

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // OperationUi
    void showProgress() override;
    void closeProgress() override;
    void addProgress(const QString& line) override;
    void setGauge(int position, int maximum) override;
    void stepGauge() override;
    void setTimeLabel(const QString& text) override;
    void setStatusPanel(int panel, const QString& text) override;
    void errorBox(const QString& text) override;
    void warningBox(const QString& text) override;
    bool confirmWarning(const QString& text) override;

    // The core, for the operations and for tests.
    LinkState& linkState() { return m_state; }
    OperationLog& operationLog() { return m_log; }
    SerialLink& serial() { return m_serial; }
    TcpServerLink& tcp() { return m_tcp; }
    RequestEngine& engine() { return m_engine; }
    StatusView& statusView() { return m_statusView; }
    StatusLog& statusLog() { return m_statusLog; }
    StatusTabs* statusTabs() const { return m_statusTabs.get(); }
    TForm2* form2() const { return m_form2; }
    TForm4* form4() const { return m_form4; }

    QString AppDir;
    QString FirmwareFolder;
    QString SoundFile;

    QString settingsPath() const;
    QString statusPanelText(int panel) const;

    // Lifecycle: FormShow runs when the window is first shown, FormClose when it closes (also on
    // SIGINT and SIGTERM, through close()).
    void FormShow();
    void FormClose();
    bool settingsSaved() const { return m_settingsSaved; }

    // Handlers.
    void BitBtn1Click();   // "Select"
    void BitBtn2Click();   // "Open  COM-port" / "Close  COM-port"
    void BitBtn9Click();   // "CLEAR"
    void sBitBtn22Click(); // "view Window of progress"
    void N2Click();        // menu "Настройка"
    void Timer3Timer();    // clock
    void CheckBox1Click(); // poll switch
    void UpDown1Click();   // poll period
    void Timer3_APTimer(); // one poll tick

    // "09:05 / 03.04.2012"
    static QString clockText(const QDateTime& now);

    // The poll period shown in Edit3 (1..100 s) and the interval of Timer3_AP.
    int pollPeriod() const;
    QTimer& pollTimer() { return Timer3_AP; }

    // Opens the chosen port the way "Open  COM-port" does; true when it is open afterwards.
    bool openPort();

    // Connection control, modem and status poll (TForm1Link.cpp).
    void sBitBtn9Click();  // connect
    void sBitBtn10Click(); // "   DISCONNECT"
    void BitBtn6Click();   // "res"
    void sBitBtn25Click(); // "Запрос на подключение к Серверу-конфигуратору"

    // Status-tab commands, RF graph and tab screenshots (TForm1Status.cpp).
    void sBitBtn17Click(); // "ППК", box 1
    void sBitBtn18Click(); // "ППК", box 2
    void sBitBtn19Click(); // "ППК", box 3
    void RF2Click();       // menu "Сохранить график RF"
    void sBitBtn78Click(); // "Print Screen"
    void sBitBtn79Click(); // opens the last screenshot folder
    const RfGraph& rfGraph() const { return m_rfGraph; }
    QString lastScreenshotFolder() const { return m_lastScreenshotFolder; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The connection, modem and poll operations (TForm1Link.cpp) and the status-tab commands and
    // screenshots (TForm1Status.cpp) connect their controls here.
    void setupLinkOperations();
    void setupStatusOperations();
    void FormCreate();
    QWidget* buildLeftPanel();
    void buildTabs();
    void buildMenu();
    void buildStatusBar();
    void restoreSettings(const IniFile& ini);
    void storeSettings(IniFile& ini) const;
    void applyListeningPort(quint16 port);
    void startListening();
    void refreshPortControls();
    void refreshLinkState();
    void onFirmwareUnlocked();
    void updateSoundLabel();
    void setPollButtonsEnabled(bool enabled);
    void actionCommand(int box);
    bool captureTab(QString* error);

    // Core.
    LinkState m_state;
    OperationLog m_log;
    SerialLink m_serial;
    TcpServerLink m_tcp;
    RequestEngine m_engine;
    StatusView m_statusView;
    StatusLog m_statusLog;
    // Built in setupLinkOperations; declared after the core they use, so they go first.
    std::unique_ptr<Modem> m_modem;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<StatusPoll> m_poll;

    // Windows.
    TForm2* m_form2 = nullptr;
    TForm4* m_form4 = nullptr;

    // Left panel.
    QSplitter* m_splitter = nullptr;
    QWidget* sPanel1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* ST33 = nullptr;
    QPushButton* sBitBtn9 = nullptr;
    QPushButton* sBitBtn10 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QGroupBox* sRadioGroup1 = nullptr;
    QButtonGroup* m_cableMode = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QSpinBox* UpDown1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QFrame* Shape20 = nullptr;
    QPushButton* sBitBtn78 = nullptr;
    QPushButton* sBitBtn79 = nullptr;
    QPushButton* BitBtn9 = nullptr;
    QCheckBox* CheckBox63 = nullptr;
    QPushButton* sBitBtn22 = nullptr;
    LogWidget* RichEdit1 = nullptr;

    // Tabs.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet8 = nullptr;
    std::unique_ptr<StatusTabs> m_statusTabs;
    QPushButton* sBitBtn25 = nullptr;
    QCheckBox* CheckBox60 = nullptr;
    QLabel* Label85 = nullptr;

    // Status bar panels 0..3.
    QLabel* m_panels[4] = {};

    QTimer Timer3;        // clock, 10 s
    QTimer Timer3_AP;     // status poll
    QTimer Timer_LabConn; // blinking link label

    RfGraph m_rfGraph;
    QString m_lastScreenshotFolder = QStringLiteral("/"); // the file system root until the first capture
    bool m_capturing = false;

    bool m_shown = false;
    bool m_settingsSaved = false;
};

} // namespace zvk
