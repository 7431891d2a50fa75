#include "app/TForm4.h"

#include "app/Accessibility.h"
#include "app/MessageBoxes.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zvk {

namespace {
QGroupBox* radioGroup(QWidget* parent, const QString& name, const QString& title, const QStringList& items,
                      QButtonGroup** group) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    auto* layout = new QVBoxLayout(box);
    *group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        b->setObjectName(name + QStringLiteral("_%1").arg(i));
        layout->addWidget(b);
        (*group)->addButton(b, i);
    }
    layout->addStretch();
    return box;
}
} // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Настройка"));
    setModal(true);
    resize(470, 300);

    sPageControl1 = new QTabWidget(this);
    sPageControl1->setObjectName(QStringLiteral("sPageControl1"));

    auto* modem = new QWidget;
    modem->setObjectName(QStringLiteral("TabModem"));
    RadioGroup1 = radioGroup(modem, QStringLiteral("RadioGroup1"), QStringLiteral(" Тип модема "),
                             {QStringLiteral("Motorola G24"), QStringLiteral("Siemens")}, &m_modemType);
    RadioGroup2 =
        radioGroup(modem, QStringLiteral("RadioGroup2"), QStringLiteral(" Тип протокола "),
                   {QStringLiteral("32 протокол (AT+CBST=7)"), QStringLiteral("110 протокол (AT+CBST=71)")},
                   &m_protocol);
    auto* modemLayout = new QHBoxLayout(modem);
    modemLayout->addWidget(RadioGroup1);
    modemLayout->addWidget(RadioGroup2);
    sPageControl1->addTab(modem, QStringLiteral("Модем"));

    auto* server = new QWidget;
    server->setObjectName(QStringLiteral("TabServer"));
    auto* socketBox = new QGroupBox(QStringLiteral(" Сокет сервера "), server);
    auto* portLabel = new QLabel(QStringLiteral("Порт: "), socketBox);
    Edit1 = new QLineEdit(QStringLiteral("7778"), socketBox);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(4);
    Edit1->setMaximumWidth(90);
    labelFor(portLabel, Edit1);
    auto* socketLayout = new QHBoxLayout(socketBox);
    socketLayout->addWidget(portLabel);
    socketLayout->addWidget(Edit1);
    socketLayout->addStretch();
    auto* serverLayout = new QVBoxLayout(server);
    serverLayout->addWidget(socketBox);
    serverLayout->addStretch();
    sPageControl1->addTab(server, QStringLiteral("Сервер"));

    auto* look = new QWidget;
    look->setObjectName(QStringLiteral("TabLook"));
    auto* lookLayout = new QFormLayout(look);
    sSpinEdit1 = new QSpinBox(look);
    sSpinEdit1->setObjectName(QStringLiteral("sSpinEdit1"));
    sSpinEdit1->setRange(0, 300);
    sSpinEdit1->setSingleStep(5);
    sSpinEdit1->setValue(0);
    sSpinEdit2 = new QSpinBox(look);
    sSpinEdit2->setObjectName(QStringLiteral("sSpinEdit2"));
    sSpinEdit2->setRange(0, 200);
    sSpinEdit2->setSingleStep(5);
    sSpinEdit2->setValue(200);
    sComboBox1 = new QComboBox(look);
    sComboBox1->setObjectName(QStringLiteral("sComboBox1"));
    sComboBox1->addItems({QStringLiteral("Topaz"), QStringLiteral("Android OS")});
    auto* hueLabel = new QLabel(QStringLiteral("Цветовой фон оформления интерфейса (0 - 300): "), look);
    auto* satLabel = new QLabel(QStringLiteral("Интенсивность цветового фона (0 - 200): "), look);
    auto* skinLabel = new QLabel(QStringLiteral("Тема оформления: "), look);
    labelFor(hueLabel, sSpinEdit1);
    labelFor(satLabel, sSpinEdit2);
    labelFor(skinLabel, sComboBox1);
    lookLayout->addRow(hueLabel, sSpinEdit1);
    lookLayout->addRow(satLabel, sSpinEdit2);
    lookLayout->addRow(skinLabel, sComboBox1);
    sPageControl1->addTab(look, QStringLiteral("Оформление"));
    auto emitSkin = [this] { Q_EMIT skinChanged(skin()); };
    connect(sSpinEdit1, &QSpinBox::valueChanged, this, emitSkin);
    connect(sSpinEdit2, &QSpinBox::valueChanged, this, emitSkin);
    connect(sComboBox1, &QComboBox::currentIndexChanged, this, emitSkin);

    auto* firmware = new QWidget;
    firmware->setObjectName(QStringLiteral("TabFirmware"));
    auto* passLabel = new QLabel(QStringLiteral("Пароль входа в режим обновления ПО:"), firmware);
    Edit2 = new QLineEdit(firmware);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setEchoMode(QLineEdit::Password);
    Edit2->installEventFilter(this);
    labelFor(passLabel, Edit2);
    auto* fwLayout = new QVBoxLayout(firmware);
    fwLayout->addWidget(passLabel);
    fwLayout->addWidget(Edit2);
    fwLayout->addStretch();
    sPageControl1->addTab(firmware, QStringLiteral("Обновление ПО"));

    auto* shots = new QWidget;
    shots->setObjectName(QStringLiteral("TabPrintScreen"));
    auto* shotsLayout = new QVBoxLayout(shots);
    const QStringList tabNames{QStringLiteral("Текущее состояние"),
                               QStringLiteral("Текущее состояние - 2"),
                               QStringLiteral("Конфигурирование"),
                               QStringLiteral("7710-5M"),
                               QStringLiteral("Condition-1"),
                               QStringLiteral("Condition-2"),
                               QStringLiteral("ПО")};
    for (int i = 0; i < ScreenshotTabs; ++i) {
        m_shots[i] = new QCheckBox(tabNames[i], shots);
        m_shots[i]->setObjectName(QStringLiteral("sCheckBox%1").arg(i + 1));
        shotsLayout->addWidget(m_shots[i]);
    }
    shotsLayout->addStretch();
    sPageControl1->addTab(shots, QStringLiteral("PrintScreen вкладок"));

    sBitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    sBitBtn1->setObjectName(QStringLiteral("sBitBtn1"));
    sBitBtn1->setAutoDefault(false);
    connect(sBitBtn1, &QPushButton::clicked, this, &TForm4::closeRequest);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sBitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sPageControl1, 1);
    layout->addLayout(buttons);

    setModemType(0);
    setCallProtocol(1);
    applyAccessibleNames(this);
}

int TForm4::modemType() const {
    return std::max(0, m_modemType->checkedId());
}
void TForm4::setModemType(int index) {
    if (QAbstractButton* b = m_modemType->button(std::clamp(index, 0, 1)))
        b->setChecked(true);
}
int TForm4::callProtocol() const {
    return std::max(0, m_protocol->checkedId());
}
void TForm4::setCallProtocol(int index) {
    if (QAbstractButton* b = m_protocol->button(std::clamp(index, 0, 1)))
        b->setChecked(true);
}
QString TForm4::portText() const {
    return Edit1->text();
}
void TForm4::setPortText(const QString& text) {
    // The field takes four characters when typed; a longer port can only come from the file.
    Edit1->setMaxLength(std::max<int>(4, int(text.size())));
    Edit1->setText(text);
}
bool TForm4::parsePort(const QString& text, quint16* port) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > 65535)
        return false;
    if (port)
        *port = quint16(n);
    return true;
}
int TForm4::hue() const {
    return sSpinEdit1->value();
}
void TForm4::setHue(int value) {
    sSpinEdit1->setValue(value);
}
int TForm4::intensity() const {
    return sSpinEdit2->value();
}
void TForm4::setIntensity(int value) {
    sSpinEdit2->setValue(value);
}
int TForm4::skinIndex() const {
    return sComboBox1->currentIndex();
}
void TForm4::setSkinIndex(int index) {
    sComboBox1->setCurrentIndex(std::clamp(index, 0, sComboBox1->count() - 1));
}
SkinSettings TForm4::skin() const {
    return {sComboBox1->currentText() + QStringLiteral(" (internal)"), hue(), intensity() - 100};
}
bool TForm4::screenshotTab(int k) const {
    return k >= 1 && k <= ScreenshotTabs && m_shots[k - 1]->isChecked();
}
void TForm4::setScreenshotTab(int k, bool on) {
    if (k >= 1 && k <= ScreenshotTabs)
        m_shots[k - 1]->setChecked(on);
}

bool TForm4::closeRequest() {
    quint16 port = 0;
    if (!parsePort(Edit1->text(), &port)) {
        sPageControl1->setCurrentIndex(1);
        boxes::error(this, QStringLiteral("Ошибка в номере порта сокета (от 1 до 65535) ! "));
        return false;
    }
    Q_EMIT listeningPortAccepted(port);
    m_closing = true;
    QDialog::accept();
    m_closing = false;
    return true;
}

void TForm4::reject() {
    closeRequest();
}

void TForm4::closeEvent(QCloseEvent* event) {
    if (m_closing || !isVisible()) {
        event->accept();
        return;
    }
    event->ignore();
    closeRequest();
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit2 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            Edit2->text() == FirmwarePassword) {
            Q_EMIT firmwareUnlocked();
            closeRequest();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zvk
