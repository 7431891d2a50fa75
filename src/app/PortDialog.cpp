#include "app/PortDialog.h"

#include "app/Accessibility.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace zvk {

namespace {
PortDialog::Hook& hook() {
    static PortDialog::Hook h;
    return h;
}
} // namespace

PortDialog::PortDialog(const QString& current, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PortDialog"));
    setWindowTitle(QStringLiteral("Выбор COM-порта"));
    auto* label = new QLabel(QStringLiteral("COM-порт (или путь к устройству):"), this);
    m_ports = new QComboBox(this);
    m_ports->setObjectName(QStringLiteral("PortList"));
    m_ports->setEditable(true);
    m_ports->setInsertPolicy(QComboBox::NoInsert);
    m_ports->setMinimumWidth(320);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString text = info.systemLocation();
        if (!info.description().isEmpty())
            text += QStringLiteral("  (") + info.description() + QLatin1Char(')');
        m_ports->addItem(text, info.systemLocation());
    }
    m_ports->setEditText(current.isEmpty() && m_ports->count() ? m_ports->itemData(0).toString() : current);
    labelFor(label, m_ports);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ports, &QComboBox::activated, this,
            [this](int index) { m_ports->setEditText(m_ports->itemData(index).toString()); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_ports);
    layout->addWidget(buttons);
    applyAccessibleNames(this);
}

QString PortDialog::portName() const {
    const QString text = m_ports->currentText().trimmed();
    const int index = m_ports->findText(text);
    return index >= 0 ? m_ports->itemData(index).toString() : text;
}

void PortDialog::setHook(Hook h) {
    hook() = std::move(h);
}

QString PortDialog::choose(QWidget* parent, const QString& current) {
    if (hook())
        return hook()(current);
    PortDialog dialog(current, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.portName() : QString();
}

} // namespace zvk
