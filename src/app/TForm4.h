#pragma once
// The settings dialog "Настройка": modem type and data-call protocol, the listening port, the look,
// the firmware-service password and the tabs a screenshot includes. It holds values; the main
// window applies them through the signals.

#include "app/Skin.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QButtonGroup;
class QGroupBox;

namespace zvk {

class TForm4 : public QDialog {
    Q_OBJECT
public:
    static inline const QString FirmwarePassword = QStringLiteral("quelbrastifon");
    static constexpr int ScreenshotTabs = 7;

    explicit TForm4(QWidget* parent = nullptr);

    // Modem tab.
    int modemType() const; // RadioGroup1: 0 Motorola G24, 1 Siemens
    void setModemType(int index);
    int callProtocol() const; // RadioGroup2: 0 "AT+CBST=7", 1 "AT+CBST=71"
    void setCallProtocol(int index);
    // Server tab: the text of Edit1, and the port it names when valid.
    QString portText() const;
    void setPortText(const QString& text);
    static bool parsePort(const QString& text, quint16* port);
    // Look tab.
    int hue() const;
    void setHue(int value);
    int intensity() const;
    void setIntensity(int value);
    int skinIndex() const;
    void setSkinIndex(int index);
    SkinSettings skin() const;
    // Screenshot tab: sCheckBox1..7, k = 1..7.
    bool screenshotTab(int k) const;
    void setScreenshotTab(int k, bool on);

    QTabWidget* pages() const { return sPageControl1; }

    // The close request of "OK", the close box and a correct password: validates the port, and
    // when it is valid emits listeningPortAccepted and closes. False keeps the dialog open.
    bool closeRequest();

Q_SIGNALS:
    void listeningPortAccepted(quint16 port);
    void skinChanged(const zvk::SkinSettings& skin);
    void firmwareUnlocked();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public Q_SLOTS:
    void reject() override;

private:
    QTabWidget* sPageControl1;
    QGroupBox* RadioGroup1;
    QGroupBox* RadioGroup2;
    QButtonGroup* m_modemType;
    QButtonGroup* m_protocol;
    QLineEdit* Edit1;
    QSpinBox* sSpinEdit1;
    QSpinBox* sSpinEdit2;
    QComboBox* sComboBox1;
    QLineEdit* Edit2;
    QCheckBox* m_shots[ScreenshotTabs];
    QPushButton* sBitBtn1;
    bool m_closing = false;
};

} // namespace zvk
