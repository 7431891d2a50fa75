#include "status/StatusPoll.h"

#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationUi.h"
#include "link/RequestEngine.h"

namespace zvk {

namespace {

// Runs the closing steps of a tick on every path out of it.
class TickScope {
public:
    TickScope(LinkState& state, const PollHooks& hooks) : m_state(state), m_hooks(hooks) {
        if (m_hooks.showBusyBar)
            m_hooks.showBusyBar(true);
        m_state.setBusy(true);
        if (m_hooks.setButtonsEnabled)
            m_hooks.setButtonsEnabled(false);
    }
    ~TickScope() {
        if (m_hooks.setButtonsEnabled)
            m_hooks.setButtonsEnabled(true);
        m_state.setBusy(false);
        if (m_hooks.showBusyBar)
            m_hooks.showBusyBar(false);
    }
    TickScope(const TickScope&) = delete;
    TickScope& operator=(const TickScope&) = delete;

private:
    LinkState& m_state;
    const PollHooks& m_hooks;
};

struct ButtonRange {
    const char* prefix;
    int first;
    int last;
};

// The buttons a tick locks. Left free: the progress window's sBitBtn22, the EEPROM buttons
// sBitBtn41..44 and sBitBtn51, the "Paste" buttons sBitBtn58..60, the screenshot buttons sBitBtn78
// and sBitBtn79, and the port, log and Abort buttons.
constexpr ButtonRange LockedButtons[] = {
    {"BitBtn", 3, 5},    {"BitBtn", 7, 8},    {"BitBtn", 39, 39},  {"BitBtn", 53, 53},
    {"BitBtn", 55, 57},  {"BitBtn", 60, 60},  {"sBitBtn", 1, 21},  {"sBitBtn", 23, 40},
    {"sBitBtn", 45, 50}, {"sBitBtn", 52, 57}, {"sBitBtn", 61, 77},
};

} // namespace

AcceptedStatus acceptStatus(const QByteArray& block, StatusSource source, const StatusTarget& target,
                            OperationUi& ui, const QString& successMessage) {
    const StatusBlockOutcome outcome =
        AcceptStatusBlock(block, source, *target.view, *target.log, ui, target.renderer);
    if (!outcome.ok)
        return {false, outcome.outcome};
    return {true, outcome.logError.isEmpty() ? successMessage : successMessage + outcome.logError};
}

AcceptedStatus acceptStatusReply(int waitResult, const QByteArray& line,
                                 QString (*otherLine)(const QByteArray&), const StatusTarget& target,
                                 OperationUi& ui, const QString& successMessage) {
    if (waitResult == RequestEngine::OtherLine)
        return {false, otherLine(line)};
    if (waitResult != RequestEngine::Matched)
        return {false, Outcome::NoReply};
    if (!CheckCRC(line))
        return {false, Outcome::BadCrc};
    return acceptStatus(line, StatusSource::TextReply, target, ui, successMessage);
}

QByteArray modbusStatusText(const QByteArray& reply) {
    return QByteArrayLiteral("ZVK") + PlainHex(reply.mid(3, ModbusFrames::ReadStatusDataBytes));
}

QString strayStatusLine(const QByteArray& line) {
    return Outcome::WrongReply + fromWire(line.left(10)) + QStringLiteral(" ...");
}

StatusPoll::StatusPoll(LinkState& state, RequestEngine& engine, OperationUi& ui, StatusTarget target)
    : m_state(state), m_engine(engine), m_ui(ui), m_target(target) {}

const QStringList& StatusPoll::pollLockedButtons() {
    static const QStringList names = [] {
        QStringList out;
        for (const ButtonRange& r : LockedButtons)
            for (int n = r.first; n <= r.last; ++n)
                out << QString::fromLatin1(r.prefix) + QString::number(n);
        return out;
    }();
    return names;
}

bool StatusPoll::Timer3_APTimer() {
    if (!m_state.LinkUp() || m_engine.lineInUse())
        return false;
    if (m_hooks.operationRunning && m_hooks.operationRunning())
        return false;
    TickScope scope(m_state, m_hooks);
    m_lastMessage = m_state.cableModbus() ? modbusRequest() : textRequest();
    m_ui.setStatusPanel(1, m_lastMessage);
    if (m_hooks.adapterPoll)
        m_hooks.adapterPoll();
    return true;
}

QString StatusPoll::textRequest() {
    const int result = m_engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, TextSteps);
    return acceptStatusReply(result, m_engine.LastLine, strayStatusLine, m_target, m_ui, Polled).message;
}

QString StatusPoll::modbusRequest() {
    if (!m_engine.Opros_ModBus(ModbusFrames::readStatus(), ModbusFrames::ReadStatusReplyLength, ModbusWaitMs))
        return Outcome::NoModbusReply;
    return acceptStatus(modbusStatusText(m_engine.LastModbusReply), StatusSource::CableModbus, m_target, m_ui,
                        Polled)
        .message;
}

} // namespace zvk
