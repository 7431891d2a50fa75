#include "app/TForm1.h"

#include "app/Accessibility.h"
#include "app/IniFile.h"
#include "app/LogWidget.h"
#include "app/MessageBoxes.h"
#include "app/PortDialog.h"
#include "app/Skin.h"
#include "app/StatusTabs.h"
#include "app/TForm2.h"
#include "app/TForm4.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zvk {

namespace {
// The up-down control UpDown1 with its read-only edit Edit3: the arrows (and the arrow keys)
// change the period, typing does not.
class UpDownSpin : public QSpinBox {
public:
    explicit UpDownSpin(QWidget* parent) : QSpinBox(parent) {
        setObjectName(QStringLiteral("UpDown1"));
        lineEdit()->setObjectName(QStringLiteral("Edit3"));
        lineEdit()->setReadOnly(true);
        setRange(1, 100);
        setWrapping(false);
        setValue(10);
    }
    QLineEdit* edit() const { return lineEdit(); }
};

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

constexpr int LeftPanelWidth = 218;
} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_serial(m_state, m_log), m_tcp(m_log), m_engine(m_state, m_serial, m_log) {
    setObjectName(QStringLiteral("Form1"));
    m_engine.setUi(this);
    m_engine.setTcpLink(&m_tcp);

    buildMenu();
    auto* central = new QWidget(this);
    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(buildLeftPanel());
    PageControl1 = new QTabWidget(m_splitter);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    m_splitter->addWidget(PageControl1);
    m_splitter->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_splitter);
    setCentralWidget(central);
    buildTabs();
    buildStatusBar();

    m_form2 = new TForm2(this);
    connect(m_form2, &TForm2::cancelRequested, &m_engine, &RequestEngine::abort);
    m_form4 = new TForm4(this);
    connect(m_form4, &TForm4::listeningPortAccepted, this, &TForm1::applyListeningPort);
    connect(m_form4, &TForm4::skinChanged, this, [](const SkinSettings& skin) { applySkin(skin); });
    connect(m_form4, &TForm4::firmwareUnlocked, this, &TForm1::onFirmwareUnlocked);

    m_log.setView(RichEdit1);
    connect(&m_state, &LinkState::changed, this, &TForm1::refreshLinkState);
    connect(&m_serial, &SerialLink::captionsChanged, this, &TForm1::refreshPortControls);

    Timer3.setInterval(10000);
    connect(&Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
    Timer3.start();
    Timer3_AP.setInterval(10000);
    connect(&Timer3_AP, &QTimer::timeout, this, &TForm1::Timer3_APTimer);
    Timer_LabConn.setInterval(500);
    connect(&Timer_LabConn, &QTimer::timeout, this, [this] { ST33->setVisible(!ST33->isVisible()); });

    setupLinkOperations();
    setupStatusOperations();
    FormCreate();
    applyAccessibleNames(this);
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    // Numbers read "1234.567" whatever the desktop's regional settings say.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(c);
    setWindowTitle(BaseCaption);
    resize(1134, 740);
    move(271, 114);
    m_splitter->setSizes({LeftPanelWidth, 1134 - LeftPanelWidth});
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet8), false);
    m_statusView.sLabel11.clear();
    if (m_statusTabs)
        m_statusTabs->render(m_statusView);
    refreshPortControls();
    refreshLinkState();
}

void TForm1::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    file->setObjectName(QStringLiteral("N1"));
    QAction* load = file->addAction(QStringLiteral("Загрузить график RF"));
    load->setObjectName(QStringLiteral("RF1"));
    file->addSeparator();
    QAction* save = file->addAction(QStringLiteral("Сохранить график RF"));
    save->setObjectName(QStringLiteral("RF2"));
    QAction* settings = menuBar()->addAction(QStringLiteral("Настройка"));
    settings->setObjectName(QStringLiteral("N2"));
    connect(settings, &QAction::triggered, this, &TForm1::N2Click);
}

QWidget* TForm1::buildLeftPanel() {
    sPanel1 = new QWidget;
    sPanel1->setObjectName(QStringLiteral("sPanel1"));
    sPanel1->setMinimumWidth(150);
    // The panel is narrow; keep the buttons' padding small so their captions fit.
    sPanel1->setStyleSheet(QStringLiteral("QPushButton { padding: 2px 3px; }"));
    auto* v = new QVBoxLayout(sPanel1);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(4);

    auto* sim = new QGroupBox(QStringLiteral("Номер SIM-карты модуля"), sPanel1);
    sim->setObjectName(QStringLiteral("GroupBox1"));
    Edit1 = new QLineEdit(sim);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Номер SIM-карты модуля"));
    (new QVBoxLayout(sim))->addWidget(Edit1);
    v->addWidget(sim);

    auto* csd = new QGroupBox(QStringLiteral("CSD-соединение с модулем"), sPanel1);
    csd->setObjectName(QStringLiteral("GroupBox3"));
    auto* stateLabel = new QLabel(QStringLiteral("Состояние : "), csd);
    stateLabel->setObjectName(QStringLiteral("Label1"));
    ST33 = new QLabel(QStringLiteral(" ОТСУТСТВУЕТ"), csd);
    ST33->setObjectName(QStringLiteral("ST33"));
    ST33->setAutoFillBackground(true);
    ST33->setMinimumWidth(100);
    ST33->setFocusPolicy(Qt::TabFocus);
    labelFor(stateLabel, ST33);
    auto* stateRow = new QHBoxLayout;
    stateRow->addWidget(stateLabel);
    stateRow->addWidget(ST33, 1);
    sBitBtn9 = button(csd, QStringLiteral("sBitBtn9"), QString());
    sBitBtn9->setIconSize(QSize(24, 24));
    sBitBtn10 = button(csd, QStringLiteral("sBitBtn10"), QStringLiteral("   DISCONNECT"));
    BitBtn6 = button(csd, QStringLiteral("BitBtn6"), QStringLiteral("res"));
    BitBtn6->setToolTip(QStringLiteral("Сбрасывет состояние соединения в \"Разорвано\""));
    BitBtn6->setMaximumWidth(36);
    auto* buttonsRow = new QHBoxLayout;
    buttonsRow->addWidget(sBitBtn9);
    buttonsRow->addWidget(sBitBtn10, 1);
    buttonsRow->addWidget(BitBtn6);
    auto* csdLayout = new QVBoxLayout(csd);
    csdLayout->addLayout(stateRow);
    csdLayout->addLayout(buttonsRow);
    v->addWidget(csd);
    connect(Edit1, &QLineEdit::returnPressed, sBitBtn9, &QPushButton::click);

    sRadioGroup1 = new QGroupBox(QStringLiteral(" Соединение по кабелю "), sPanel1);
    sRadioGroup1->setObjectName(QStringLiteral("sRadioGroup1"));
    m_cableMode = new QButtonGroup(sRadioGroup1);
    auto* cableLayout = new QVBoxLayout(sRadioGroup1);
    const QStringList modes{QStringLiteral("Режим Modbus"), QStringLiteral("Режим Config")};
    for (int i = 0; i < modes.size(); ++i) {
        auto* r = new QRadioButton(modes[i], sRadioGroup1);
        r->setObjectName(QStringLiteral("sRadioGroup1_%1").arg(i));
        cableLayout->addWidget(r);
        m_cableMode->addButton(r, i);
    }
    m_cableMode->button(CableConfig)->setChecked(true);
    connect(m_cableMode, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_state.setCableMode(id);
    });
    v->addWidget(sRadioGroup1);

    GroupBox2 = new QGroupBox(SerialLink::notSelectedCaption(), sPanel1);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    BitBtn1 = button(GroupBox2, QStringLiteral("BitBtn1"), QStringLiteral("Select"));
    BitBtn2 = button(GroupBox2, QStringLiteral("BitBtn2"), QStringLiteral("Open  COM-port"));
    auto* portLayout = new QHBoxLayout(GroupBox2);
    portLayout->addWidget(BitBtn1);
    portLayout->addWidget(BitBtn2, 2);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    v->addWidget(GroupBox2);

    auto* poll = new QGroupBox(QStringLiteral(" Автоопрос "), sPanel1);
    poll->setObjectName(QStringLiteral("GroupBox4"));
    CheckBox1 = new QCheckBox(QStringLiteral("Включить"), poll);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    auto* spin = new UpDownSpin(poll);
    UpDown1 = spin;
    Edit3 = spin->edit();
    auto* periodLabel = new QLabel(QStringLiteral("Период, с:"), poll);
    periodLabel->setObjectName(QStringLiteral("Label3"));
    labelFor(periodLabel, UpDown1);
    Shape20 = new QFrame(poll);
    Shape20->setObjectName(QStringLiteral("Shape20"));
    Shape20->setFixedHeight(4);
    Shape20->setAutoFillBackground(true);
    Shape20->setStyleSheet(QStringLiteral("background-color: rgb(255, 0, 0);"));
    Shape20->hide();
    sBitBtn78 = button(poll, QStringLiteral("sBitBtn78"), QStringLiteral("Print Screen"));
    sBitBtn79 = button(poll, QStringLiteral("sBitBtn79"), QString());
    sBitBtn79->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    sBitBtn79->setToolTip(QStringLiteral("Открыть папку снимков экрана"));
    auto* pollRow = new QHBoxLayout;
    pollRow->addWidget(CheckBox1);
    pollRow->addStretch();
    auto* periodRow = new QHBoxLayout;
    periodRow->addWidget(periodLabel);
    periodRow->addWidget(UpDown1);
    periodRow->addStretch();
    auto* shotRow = new QHBoxLayout;
    shotRow->addWidget(sBitBtn78, 1);
    shotRow->addWidget(sBitBtn79);
    auto* pollLayout = new QVBoxLayout(poll);
    pollLayout->addLayout(pollRow);
    pollLayout->addLayout(periodRow);
    pollLayout->addWidget(Shape20);
    pollLayout->addLayout(shotRow);
    v->addWidget(poll);
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);
    connect(UpDown1, &QSpinBox::valueChanged, this, &TForm1::UpDown1Click);

    BitBtn9 = button(sPanel1, QStringLiteral("BitBtn9"), QStringLiteral("CLEAR"));
    CheckBox63 = new QCheckBox(QStringLiteral("Time"), sPanel1);
    CheckBox63->setObjectName(QStringLiteral("CheckBox63"));
    sBitBtn22 = button(sPanel1, QStringLiteral("sBitBtn22"), QStringLiteral("view Window of progress"));
    auto* logRow = new QHBoxLayout;
    logRow->addWidget(BitBtn9);
    logRow->addWidget(CheckBox63);
    logRow->addStretch();
    v->addLayout(logRow);
    v->addWidget(sBitBtn22);
    connect(BitBtn9, &QPushButton::clicked, this, &TForm1::BitBtn9Click);
    connect(CheckBox63, &QCheckBox::toggled, this, [this](bool on) { m_log.setTimeMarks(on); });
    connect(sBitBtn22, &QPushButton::clicked, this, &TForm1::sBitBtn22Click);

    RichEdit1 = new LogWidget(sPanel1);
    RichEdit1->setAccessibleName(QStringLiteral("Журнал обмена"));
    v->addWidget(RichEdit1, 1);
    return sPanel1;
}

void TForm1::buildTabs() {
    const QList<QPair<QString, QString>> tabs{
        {QStringLiteral("TabSheet1"), QStringLiteral("Текущее состояние")},
        {QStringLiteral("TabSheet2"), QStringLiteral("Текущее состояние - 2")},
        {QStringLiteral("TabSheet3"), QStringLiteral("Конфигурирование")},
        {QStringLiteral("TabSheet4"), QStringLiteral("7710-5M")},
        {QStringLiteral("TabSheet5"), QStringLiteral("Condition-1")},
        {QStringLiteral("TabSheet6"), QStringLiteral("Condition-2")},
        {QStringLiteral("TabSheet8"), QStringLiteral("  ПО")},
    };
    QList<QWidget*> pages;
    for (const auto& [name, caption] : tabs) {
        auto* page = new QWidget;
        page->setObjectName(name);
        PageControl1->addTab(page, caption);
        pages << page;
    }
    TabSheet8 = pages.last();
    m_statusTabs = std::make_unique<StatusTabs>(pages[0], pages[1]);

    auto* config = new QVBoxLayout(pages[2]);
    sBitBtn25 = button(pages[2], QStringLiteral("sBitBtn25"),
                       QStringLiteral("Запрос на подключение к Серверу-конфигуратору"));
    auto* configRow = new QHBoxLayout;
    configRow->addWidget(sBitBtn25);
    configRow->addStretch();
    config->addLayout(configRow);
    config->addStretch();

    auto* firmware = new QVBoxLayout(TabSheet8);
    CheckBox60 = new QCheckBox(QStringLiteral("Сигнал об окончании. Проба :"), TabSheet8);
    CheckBox60->setObjectName(QStringLiteral("CheckBox60"));
    Label85 = new QLabel(QStringLiteral("файл не выбран"), TabSheet8);
    Label85->setObjectName(QStringLiteral("Label85"));
    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(CheckBox60);
    soundRow->addWidget(Label85);
    soundRow->addStretch();
    firmware->addLayout(soundRow);
    firmware->addStretch();
}

void TForm1::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    // The clock panel grows to its text where the font is wider than the one it was drawn for.
    const int clockWidth =
        std::max(60, fontMetrics().horizontalAdvance(QStringLiteral("00:00 / 00.00.0000")) + 12);
    const int widths[4] = {20, 840, 110, clockWidth};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        m_panels[i]->setFixedWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setAlignment(i >= 2 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        m_panels[i]->setFocusPolicy(Qt::TabFocus);
        bar->addWidget(m_panels[i], i == 1 ? 1 : 0);
    }
    m_panels[1]->setAccessibleName(QStringLiteral("Результат операции"));
    m_panels[2]->setAccessibleName(QStringLiteral("IMEI"));
    m_panels[3]->setAccessibleName(QStringLiteral("Часы"));
}

// --- Operation UI -----------------------------------------------------------------------------

void TForm1::showProgress() {
    m_form2->showCentred();
}
void TForm1::closeProgress() {
    m_form2->hide();
}
void TForm1::addProgress(const QString& line) {
    m_form2->addLine(line);
}
void TForm1::setGauge(int position, int maximum) {
    m_form2->setGauge(position, maximum);
}
void TForm1::stepGauge() {
    m_form2->stepGauge();
}
void TForm1::setTimeLabel(const QString& text) {
    m_form2->setTimeLabel(text);
}
void TForm1::setStatusPanel(int panel, const QString& text) {
    if (panel >= 0 && panel < 4)
        m_panels[panel]->setText(text);
}
QString TForm1::statusPanelText(int panel) const {
    return panel >= 0 && panel < 4 ? m_panels[panel]->text() : QString();
}
void TForm1::errorBox(const QString& text) {
    boxes::error(this, text);
}
void TForm1::warningBox(const QString& text) {
    boxes::warning(this, text);
}
bool TForm1::confirmWarning(const QString& text) {
    return boxes::confirm(this, text);
}

// --- Lifecycle --------------------------------------------------------------------------------

QString TForm1::settingsPath() const {
    return AppDir + QStringLiteral("/INI/5099.ini");
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    m_form2->hide();
    event->accept();
}

void TForm1::FormShow() {
    AppDir = QDir::currentPath();
    FirmwareFolder = AppDir;
    m_statusLog.setAppDir(AppDir);
    QDir dir(AppDir);
    for (const char* folder : {"INI", "SAVE", "LOG", "PRINT_SCREEN"})
        dir.mkdir(QString::fromLatin1(folder));

    if (QFileInfo::exists(settingsPath()))
        restoreSettings(IniFile::load(settingsPath()));
    applySkin(m_form4->skin());

    startListening();

    PageControl1->setCurrentIndex(0);
    m_form4->pages()->setCurrentIndex(0);
    UpDown1Click();
    m_statusView.sLabel2.clear();
    m_statusView.sLabel8.clear();
    m_statusView.sEdit1.clear();
    if (m_statusTabs)
        m_statusTabs->render(m_statusView);
    Timer3Timer();
}

void TForm1::restoreSettings(const IniFile& ini) {
    const QString f1 = QStringLiteral("Form1");
    const QString f4 = QStringLiteral("Form4");
    const QRect g = geometry();
    const int left = ini.readInteger(f1, QStringLiteral("Form1_Left"), x());
    const int top = ini.readInteger(f1, QStringLiteral("Form1_Top"), y());
    const int width = ini.readInteger(f1, QStringLiteral("Form1_Width"), g.width());
    const int height = ini.readInteger(f1, QStringLiteral("Form1_Height"), g.height());
    move(left, top);
    resize(std::max(width, 400), std::max(height, 300));
    const int panelWidth = ini.readInteger(f1, QStringLiteral("panel1_Width"), LeftPanelWidth);
    m_splitter->setSizes({std::max(panelWidth, 150), std::max(this->width() - panelWidth, 200)});

    const int number = ini.readInteger(f1, QStringLiteral("NoCOM"), m_serial.portNumber());
    QString port = ini.readString(f1, QStringLiteral("PortName"), SerialLink::portForNumber(number));
    if (port.isEmpty())
        port = SerialLink::portForNumber(number);
    if (!port.isEmpty()) {
        m_serial.setPortName(port);
        m_serial.InitCOM();
    }
    Edit1->setText(ini.readString(f1, QStringLiteral("Edit1Text"), Edit1->text()));
    FirmwareFolder = ini.readString(f1, QStringLiteral("PathToFolder_proshivki"), FirmwareFolder);
    SoundFile = ini.readString(f1, QStringLiteral("File_sound"), SoundFile);
    updateSoundLabel();
    CheckBox1->setChecked(ini.readBool(f1, QStringLiteral("ChBox1"), CheckBox1->isChecked()));
    CheckBox60->setChecked(ini.readBool(f1, QStringLiteral("ChBox60"), CheckBox60->isChecked()));
    CheckBox63->setChecked(ini.readBool(f1, QStringLiteral("ChBox63"), CheckBox63->isChecked()));
    UpDown1->setValue(ini.readInteger(f1, QStringLiteral("UD1"), UpDown1->value()));

    m_form4->setModemType(ini.readInteger(f4, QStringLiteral("F4RG1"), m_form4->modemType()));
    m_form4->setCallProtocol(ini.readInteger(f4, QStringLiteral("F4RG2"), m_form4->callProtocol()));
    m_form4->setHue(ini.readInteger(f4, QStringLiteral("SpEd1"), m_form4->hue()));
    m_form4->setIntensity(ini.readInteger(f4, QStringLiteral("SpEd2"), m_form4->intensity()));
    m_form4->setPortText(ini.readString(f4, QStringLiteral("Edit1Text"), m_form4->portText()));
    m_form4->setSkinIndex(ini.readInteger(f4, QStringLiteral("sCB1ItIn"), m_form4->skinIndex()));
    for (int k = 1; k <= TForm4::ScreenshotTabs; ++k)
        m_form4->setScreenshotTab(
            k, ini.readBool(f4, QStringLiteral("sChBox%1").arg(k), m_form4->screenshotTab(k)));
}

void TForm1::storeSettings(IniFile& ini) const {
    const QString f1 = QStringLiteral("Form1");
    const QString f4 = QStringLiteral("Form4");
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    ini.writeInteger(f1, QStringLiteral("Form1_Left"), g.x());
    ini.writeInteger(f1, QStringLiteral("Form1_Top"), g.y());
    ini.writeInteger(f1, QStringLiteral("Form1_Width"), g.width());
    ini.writeInteger(f1, QStringLiteral("Form1_Height"), g.height());
    ini.writeInteger(f1, QStringLiteral("panel1_Width"), sPanel1->width());
    ini.writeInteger(f1, QStringLiteral("NoCOM"), m_serial.portNumber());
    ini.writeString(f1, QStringLiteral("PortName"), m_serial.portName());
    ini.writeString(f1, QStringLiteral("Edit1Text"), Edit1->text());
    ini.writeString(f1, QStringLiteral("PathToFolder_proshivki"), FirmwareFolder);
    ini.writeString(f1, QStringLiteral("File_sound"), SoundFile);
    ini.writeBool(f1, QStringLiteral("ChBox1"), CheckBox1->isChecked());
    ini.writeBool(f1, QStringLiteral("ChBox60"), CheckBox60->isChecked());
    ini.writeBool(f1, QStringLiteral("ChBox63"), CheckBox63->isChecked());
    ini.writeInteger(f1, QStringLiteral("UD1"), UpDown1->value());
    ini.writeInteger(f4, QStringLiteral("F4RG1"), m_form4->modemType());
    ini.writeInteger(f4, QStringLiteral("F4RG2"), m_form4->callProtocol());
    ini.writeInteger(f4, QStringLiteral("SpEd1"), m_form4->hue());
    ini.writeInteger(f4, QStringLiteral("SpEd2"), m_form4->intensity());
    ini.writeString(f4, QStringLiteral("Edit1Text"), m_form4->portText());
    ini.writeInteger(f4, QStringLiteral("sCB1ItIn"), m_form4->skinIndex());
    for (int k = 1; k <= TForm4::ScreenshotTabs; ++k)
        ini.writeBool(f4, QStringLiteral("sChBox%1").arg(k), m_form4->screenshotTab(k));
}

void TForm1::FormClose() {
    if (m_settingsSaved || !m_shown)
        return;
    m_settingsSaved = true;
    QDir(AppDir).mkdir(QStringLiteral("INI"));
    IniFile ini = IniFile::load(settingsPath()); // keys of others survive
    storeSettings(ini);
    QString error;
    if (!ini.save(settingsPath(), &error))
        qWarning("settings not saved to %s: %s", qPrintable(settingsPath()), qPrintable(error));
    if (m_serial.isOpen())
        m_serial.close();
}

void TForm1::updateSoundLabel() {
    if (!SoundFile.isEmpty() && QFileInfo::exists(SoundFile))
        Label85->setText(QFileInfo(SoundFile).fileName());
}

void TForm1::startListening() {
    quint16 port = 0;
    if (!TForm4::parsePort(m_form4->portText(), &port)) {
        errorBox(QStringLiteral("Ошибка в номере порта сокета (от 1 до 65535) ! "));
        return;
    }
    m_connection->startListening(port);
}

void TForm1::applyListeningPort(quint16 port) {
    m_connection->restartListening(port);
}

void TForm1::onFirmwareUnlocked() {
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet8), true);
    PageControl1->setCurrentIndex(PageControl1->count() - 1);
}

// --- Port -------------------------------------------------------------------------------------

void TForm1::refreshPortControls() {
    GroupBox2->setTitle(m_serial.portCaption());
    BitBtn2->setText(m_serial.openButtonCaption());
    BitBtn2->setAccessibleName(m_serial.openButtonCaption());
}

bool TForm1::openPort() {
    if (m_serial.isOpen())
        return true;
    if (!m_serial.hasPort())
        return false;
    m_serial.setPortCaption(SerialLink::notSelectedCaption());
    QString error;
    if (!m_serial.open(&error)) {
        errorBox(error);
        return false;
    }
    return true;
}

void TForm1::BitBtn1Click() {
    if (m_serial.isOpen())
        m_serial.close();
    m_serial.setPortCaption(SerialLink::notSelectedCaption());
    const QString chosen = PortDialog::choose(this, m_serial.portName());
    m_serial.setPortName(chosen);
    if (chosen.isEmpty()) {
        errorBox(QStringLiteral("COM-порт не выбран"));
        return;
    }
    openPort();
}

void TForm1::BitBtn2Click() {
    if (!m_serial.hasPort())
        return;
    if (m_serial.isOpen()) {
        m_serial.close();
        return;
    }
    openPort();
}

// --- Log, progress, settings, clock -----------------------------------------------------------

void TForm1::BitBtn9Click() {
    m_log.clear();
}

void TForm1::sBitBtn22Click() {
    m_form2->setGauge(0, m_form2->gauge()->maximum());
    m_form2->showCentred();
}

void TForm1::N2Click() {
    m_form4->exec();
}

QString TForm1::clockText(const QDateTime& now) {
    return now.toString(QStringLiteral("HH:mm' / 'dd.MM.yyyy"));
}

void TForm1::Timer3Timer() {
    setStatusPanel(3, clockText(QDateTime::currentDateTime()));
}

// --- Poll -------------------------------------------------------------------------------------

int TForm1::pollPeriod() const {
    return UpDown1->value();
}

void TForm1::UpDown1Click() {
    Edit3->setText(QString::number(UpDown1->value()));
    Timer3_AP.setInterval(UpDown1->value() * 1000);
}

// --- Link state -------------------------------------------------------------------------------

void TForm1::refreshLinkState() {
    setWindowTitle(m_state.RefreshConnecta());
    QString sheet;
    switch (m_state.label()) {
    case LinkLabel::Absent:
        ST33->setText(QStringLiteral(" ОТСУТСТВУЕТ"));
        sheet = QStringLiteral("QLabel { color: rgb(0, 0, 255); }");
        break;
    case LinkLabel::Established:
        ST33->setText(QStringLiteral(" УСТАНОВЛЕНО"));
        sheet = QStringLiteral("QLabel { color: black; background-color: rgb(0, 255, 0); }");
        break;
    case LinkLabel::Lost:
        ST33->setText(QStringLiteral(" ОТСУТСТВУЕТ"));
        sheet = QStringLiteral("QLabel { color: black; background-color: rgb(255, 100, 100); }");
        break;
    }
    ST33->setStyleSheet(sheet);
    ST33->setAccessibleDescription(ST33->text().trimmed());
    if (m_state.label() == LinkLabel::Lost) {
        if (!Timer_LabConn.isActive())
            Timer_LabConn.start();
    } else {
        Timer_LabConn.stop();
        ST33->setVisible(true);
    }
    const bool modem = m_state.ModemPresent() == 1;
    sBitBtn9->setIcon(style()->standardIcon(modem ? QStyle::SP_DriveNetIcon : QStyle::SP_ComputerIcon));
    sBitBtn9->setToolTip(modem ? QStringLiteral("Установить через модем CSD-соединеие с блоком")
                               : QStringLiteral("Установить прямое соединеие с блоком по кабелю"));
    sBitBtn9->setAccessibleName(sBitBtn9->toolTip());
}

} // namespace zvk
