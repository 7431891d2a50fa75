#pragma once
// The periodic status poll: one tick of Timer3_AP fetches the status block over the link that is up
// (the text request, or the Modbus read over a cable in Modbus mode) and hands it to the decoder.
// The window owns the timer and the controls; the tick reaches them through a few hooks.

#include "status/StatusBlock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace zvk {

class LinkState;
class OperationUi;
class RequestEngine;
class StatusLog;
struct StatusView;

// Where an accepted status block goes: the view model, the status log, the status tabs.
struct StatusTarget {
    StatusView* view = nullptr;
    StatusLog* log = nullptr;
    StatusRenderer* renderer = nullptr;
};

struct AcceptedStatus {
    bool ok = false;
    QString message; // for the progress window and status panel 1
};

// Decodes a block whose transport check passed. On success the message is successMessage, followed
// by the status log's failure text when the log could not be written, so that failure stays in
// panel 1; otherwise the decoder's outcome.
AcceptedStatus acceptStatus(const QByteArray& block, StatusSource source, const StatusTarget& target,
                            OperationUi& ui, const QString& successMessage);

// The checks after a wait for the text status reply ("ZVK+TS?"), in their order: a line that is not
// a status block (worded by otherLine), no reply, the CRC, then the block itself (acceptStatus).
AcceptedStatus acceptStatusReply(int waitResult, const QByteArray& line,
                                 QString (*otherLine)(const QByteArray&), const StatusTarget& target,
                                 OperationUi& ui, const QString& successMessage);

// "ZVK" and the 136 data bytes of a 141-byte Modbus status reply, two upper-case digits each.
QByteArray modbusStatusText(const QByteArray& reply);

// The message for a reply line that does not begin with "ZVK": its first 10 characters and " ...".
QString strayStatusLine(const QByteArray& line);

struct PollHooks {
    // The buttons of pollLockedButtons(): off for the tick, on again after it.
    std::function<void(bool enabled)> setButtonsEnabled;
    // Shape20, the red bar shown while a tick runs.
    std::function<void(bool visible)> showBusyBar;
    // Runs the air-conditioner adapter poll of the "Condition-1" tab when its own switch is ticked.
    std::function<void()> adapterPoll;
    // An operation that keeps the link without raising Busy (the connect operation).
    std::function<bool()> operationRunning;
};

class StatusPoll {
public:
    static constexpr int TextSteps = 25;
    static constexpr int ModbusWaitMs = 500;
    static inline const QString Polled = QStringLiteral(" Текущее состояние успешно опрошено. ");

    StatusPoll(LinkState& state, RequestEngine& engine, OperationUi& ui, StatusTarget target);

    void setHooks(PollHooks hooks) { m_hooks = std::move(hooks); }

    // One tick. Skipped (false) while Busy is set, the link is down, a request is outstanding or an
    // operation holds the link; ticks are not queued.
    bool Timer3_APTimer();
    // The message the last tick wrote into status panel 1.
    QString lastMessage() const { return m_lastMessage; }

    // The main window's buttons that a tick locks, by control name.
    static const QStringList& pollLockedButtons();

private:
    QString textRequest();
    QString modbusRequest();

    LinkState& m_state;
    RequestEngine& m_engine;
    OperationUi& m_ui;
    StatusTarget m_target;
    PollHooks m_hooks;
    QString m_lastMessage;
};

} // namespace zvk
