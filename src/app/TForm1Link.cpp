// The main window's connection control, modem and status poll handlers.

#include "app/StatusTabs.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "link/Frames.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

namespace zvk {

void TForm1::setupLinkOperations() {
    const StatusTarget status{&m_statusView, &m_statusLog, m_statusTabs.get()};

    m_modem = std::make_unique<Modem>(m_state, m_serial, m_engine, *this);
    m_modem->setSettings([this] {
        ModemSettings s;
        s.modemType = m_form4 ? m_form4->modemType() : ModemSettings::MotorolaG24;
        s.callProtocol = m_form4 ? m_form4->callProtocol() : ModemSettings::Cbst7;
        return s;
    });

    m_connection = std::make_unique<Connection>(m_state, m_serial, m_tcp, m_engine, m_log, *this, status);
    m_connection->setDialler(m_modem.get());
    m_connection->setPollTimer(&Timer3_AP);
    m_connection->setPollSwitch([this] { return CheckBox1->isChecked(); });
    m_connection->setPortOpener([this] { return openPort(); });

    m_poll = std::make_unique<StatusPoll>(m_state, m_engine, *this, status);
    PollHooks hooks;
    hooks.setButtonsEnabled = [this](bool enabled) { setPollButtonsEnabled(enabled); };
    hooks.showBusyBar = [this](bool visible) { Shape20->setVisible(visible); };
    hooks.operationRunning = [this] { return m_connection->inOperation(); };
    m_poll->setHooks(std::move(hooks));

    connect(sBitBtn9, &QPushButton::clicked, this, &TForm1::sBitBtn9Click);
    connect(sBitBtn10, &QPushButton::clicked, this, &TForm1::sBitBtn10Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TForm1::BitBtn6Click);
    connect(sBitBtn25, &QPushButton::clicked, this, &TForm1::sBitBtn25Click);
}

void TForm1::sBitBtn9Click() {
    m_connection->Connect(toWire(Edit1->text()));
}
void TForm1::sBitBtn10Click() {
    m_connection->Disconnect();
}
void TForm1::BitBtn6Click() {
    m_connection->Reset();
}
void TForm1::sBitBtn25Click() {
    m_connection->RequestServer();
}

void TForm1::setPollButtonsEnabled(bool enabled) {
    static const QSet<QString> locked(StatusPoll::pollLockedButtons().cbegin(),
                                      StatusPoll::pollLockedButtons().cend());
    for (QPushButton* b : findChildren<QPushButton*>()) {
        // The dialogs are children too; their buttons (the progress window's Cancel is an
        // "sBitBtn1") stay usable.
        if (b->window() == this && locked.contains(b->objectName()))
            b->setEnabled(enabled);
    }
}

void TForm1::CheckBox1Click() {
    if (CheckBox1->isChecked()) {
        Timer3_AP.start();
        Timer3_APTimer();
    } else {
        Timer3_AP.stop();
    }
}

void TForm1::Timer3_APTimer() {
    m_poll->Timer3_APTimer();
}

} // namespace zvk
