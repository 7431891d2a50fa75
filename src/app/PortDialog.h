#pragma once
// Choosing the serial port: the system's ports, or any device path typed in (virtual ports and
// pseudo-terminals are not listed by the system).

#include <QDialog>
#include <functional>

class QComboBox;

namespace zvk {

class PortDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortDialog(const QString& current, QWidget* parent = nullptr);
    QString portName() const;

    // Asks the user; an empty result means the choice was cancelled. Tests answer through a hook.
    static QString choose(QWidget* parent, const QString& current);
    using Hook = std::function<QString(const QString& current)>;
    static void setHook(Hook hook);

private:
    QComboBox* m_ports;
};

} // namespace zvk
