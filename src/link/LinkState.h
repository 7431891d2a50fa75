#pragma once
// The flags that say whether and how a controller is connected. One object, shared by reference
// between the request engine, the operations and the window; the window repaints the caption and
// the link label whenever it signals a change.

#include <QObject>
#include <QString>

namespace zvk {

// What the link-state label ST33 shows.
enum class LinkLabel {
    Absent,      // " ОТСУТСТВУЕТ", blue on the window colour, steady (start, or ended by the tool)
    Established, // " УСТАНОВЛЕНО", black on lime
    Lost,        // " ОТСУТСТВУЕТ", black on rose, blinking (unexpected loss)
};

// Cable modes of the radio group " Соединение по кабелю ".
enum CableMode : int { CableModbus = 0, CableConfig = 1 };

class LinkState : public QObject {
    Q_OBJECT
public:
    explicit LinkState(QObject* parent = nullptr) : QObject(parent) {}

    bool LinkUp() const { return m_linkUp; }
    bool TcpLinkUp() const { return m_tcpLinkUp; }
    int ModemPresent() const { return m_modemPresent; }
    bool Busy() const { return m_busy; }
    bool DisconnectExpected() const { return m_disconnectExpected; }
    int cableMode() const { return m_cableMode; }
    LinkLabel label() const { return m_label; }

    void setLinkUp(bool on) { set(m_linkUp, on); }
    void setTcpLinkUp(bool on) { set(m_tcpLinkUp, on); }
    void setModemPresent(int present) { set(m_modemPresent, present ? 1 : 0); }
    void setBusy(bool on) { set(m_busy, on); }
    void setDisconnectExpected(bool on) { set(m_disconnectExpected, on); }
    void setCableMode(int mode) {
        set(m_cableMode, mode == CableModbus ? int(CableModbus) : int(CableConfig));
    }
    void setLabel(LinkLabel label) { set(m_label, label); }

    // The guard of the text operations: a link is up and it can carry text commands.
    bool TextLinkReady() const {
        return m_linkUp && (m_modemPresent == 1 || m_tcpLinkUp || m_cableMode == CableConfig);
    }
    // Modbus over the cable: no modem, not TCP, cable switched to Modbus RTU.
    bool cableModbus() const { return m_modemPresent == 0 && !m_tcpLinkUp && m_cableMode == CableModbus; }

    // The main window caption for the current flags.
    QString RefreshConnecta() const;

Q_SIGNALS:
    void changed();

private:
    template <class T> void set(T& field, T value) {
        if (field == value)
            return;
        field = value;
        Q_EMIT changed();
    }

    bool m_linkUp = false;
    bool m_tcpLinkUp = false;
    int m_modemPresent = 0;
    bool m_busy = false;
    bool m_disconnectExpected = false;
    int m_cableMode = CableConfig;
    LinkLabel m_label = LinkLabel::Absent;
};

} // namespace zvk
