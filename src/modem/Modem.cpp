#include "modem/Modem.h"

#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationUi.h"
#include "link/RequestEngine.h"
#include "link/SerialLink.h"

namespace zvk {

namespace {

constexpr int Any = -1;

struct InitRow {
    int protocol;  // ModemSettings::Protocol, or Any
    int modemType; // ModemSettings::Type, or Any
    const char* command;
    const char* expected;
    const char* error; // UTF-8
};

// Only the home-network registration in the modem type's own number format passes.
constexpr InitRow InitTable[] = {
    {Any, Any, "AT+IPR=9600", "OK", " Ошибка выполнения команды IPR"},
    {Any, Any, "AT+CLIP=1", "OK", " Ошибка выполнения команды CLIP"},
    {ModemSettings::Cbst7, Any, "AT+CBST=7", "OK", " Ошибка выполнения команды CBST"},
    {ModemSettings::Cbst71, Any, "AT+CBST=71", "OK", " Ошибка выполнения команды CBST"},
    {Any, Any, "AT+CMGF=1", "OK", " Ошибка выполнения команды CMGF"},
    {Any, ModemSettings::MotorolaG24, "AT+CREG?", "+CREG: 000,001", " Ошибка выполнения команды CREG"},
    {Any, ModemSettings::Siemens, "AT+CREG?", "+CREG: 0,1", " Ошибка выполнения команды CREG"},
};

const QString DialFailed = QStringLiteral(" Ошибка установки соединения: ");

} // namespace

Modem::Modem(LinkState& state, SerialLink& serial, RequestEngine& engine, OperationUi& ui, QObject* parent)
    : QObject(parent), m_state(state), m_serial(serial), m_engine(engine), m_ui(ui) {
    m_probeRetry.setSingleShot(true);
    m_probeRetry.setInterval(ProbeRetryMs);
    connect(&m_probeRetry, &QTimer::timeout, this, &Modem::probeWhenFree);
    connect(&m_serial, &SerialLink::opened, this, &Modem::probeWhenFree);
}

void Modem::probeWhenFree() {
    if (!m_serial.isOpen())
        return;
    // The port can be opened from inside another request's wait; the probe must not share it,
    // and must not end an operation's Busy.
    if (m_engine.lineInUse()) {
        m_probeRetry.start();
        return;
    }
    TestModema();
}

QList<Modem::Command> Modem::initCommands(const ModemSettings& settings) {
    QList<Command> out;
    for (const InitRow& row : InitTable) {
        if (row.protocol != Any && row.protocol != settings.callProtocol)
            continue;
        if (row.modemType != Any && row.modemType != settings.modemType)
            continue;
        out.append({QByteArray(row.command), QByteArray(row.expected), QString::fromUtf8(row.error)});
    }
    return out;
}

void Modem::TestModema() {
    m_ui.showProgress();
    m_ui.addProgress(QString());
    m_ui.addProgress(QStringLiteral(" Тестирование наличия модема ..."));
    // An echo of the command, or any line from a controller on the cable, counts as no modem.
    const bool present = m_engine.Ozidanie("ATE0", "OK", TermCR, Match::Prefix, 1) == RequestEngine::Matched;
    m_state.setModemPresent(present ? 1 : 0);
    QString message;
    if (present) {
        message = QStringLiteral(" Модем успешно обнаружен.");
        InitModem();
    } else {
        message = QStringLiteral(" Модем не обнаружен - работа с блоком по кабелю.");
    }
    m_ui.addProgress(message);
    m_ui.setStatusPanel(1, message);
    m_ui.closeProgress();
    m_state.setBusy(false);
}

void Modem::InitModem() {
    m_state.setBusy(true);
    m_ui.showProgress();
    const QString start = QStringLiteral(" Инициализация GSM-модема...");
    m_ui.setStatusPanel(1, start);
    m_ui.addProgress(QString());
    m_ui.addProgress(start);

    // The first "ATE0" may be swallowed by a modem that is still echoing; its reply is not looked at.
    m_serial.Sendstr("ATE0", TermCR);
    m_engine.Delay(EchoOffPauseMs);
    QString outcome;
    if (!m_engine.Day_otvet("ATE0", "OK", Match::Exact, AnswerWaitMs)) {
        outcome = QStringLiteral(" Ошибка - GSM-модем не отвечает.");
    } else {
        bool failed = false;
        const ModemSettings settings = m_settings ? m_settings() : ModemSettings{};
        for (const Command& c : initCommands(settings)) {
            if (m_engine.Day_otvet(c.command, c.expected, Match::Exact, CommandWaitMs))
                continue;
            failed = true;
            m_ui.addProgress(c.error);
            m_ui.setStatusPanel(1, c.error);
        }
        outcome = failed ? QStringLiteral(" Модем инициализирован с ошибками!!!")
                         : QStringLiteral(" Модем успешно инициализирован");
    }
    m_ui.addProgress(outcome);
    m_ui.setStatusPanel(1, outcome);
    m_ui.closeProgress();
    m_state.setBusy(false);
}

Dialler::Result Modem::dial(const QByteArray& number) {
    static const QList<QByteArray> outcomes{"CONNECT", "NO CARRIER", "NO ANSWER", "BUSY", "NO DIALTONE"};
    const int r = m_engine.Day_otvet5("ATD" + number, outcomes, DialWaitMs);
    if (r == 1)
        return {true, QString()};
    if (r == RequestEngine::DialCancelled) {
        // A call half set up must not stay.
        m_serial.Sendstr("ATH", TermCR);
        return {false, QStringLiteral(" Отменено пользователем.")};
    }
    if (r == RequestEngine::DialTimeout) {
        m_serial.Sendstr("ATH", TermCR);
        return {false, DialFailed + QStringLiteral("нет ответа")};
    }
    return {false, DialFailed + fromWire(m_engine.LastLine)};
}

void Modem::hangUpAfterSilence() {
    m_serial.Sendstr("+++", TermNone);
    m_engine.Delay(EscapePauseMs);
    m_serial.Sendstr("ATH", TermCR);
}

} // namespace zvk
