#pragma once
// Sends one command and waits, on the user-interface thread, for its reply. Every wait runs a
// nested event loop woken by the line-ready signal, its timer and Cancel, so receive events,
// timers and clicks keep working while it waits and the thread sleeps in between. One request at a
// time: a wait started while another is outstanding is refused at once, sends nothing and touches
// no receive state.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

namespace zvk {

class LinkState;
class OperationLog;
class OperationUi;
class SerialLink;
class TextLink;

enum class Match { Exact, Prefix };

class RequestEngine : public QObject {
    Q_OBJECT
public:
    // Wait of ordinary controller commands, in one-second steps.
    static constexpr int ReplyTimeout = 15;
    // Results of Ozidanie and OzidanieImennoOtveta.
    enum Result : int { Matched = 0, OtherLine = 1, NoLine = 2 };
    // Results of Day_otvet5 besides 1..5.
    static constexpr int DialTimeout = 0;
    static constexpr int DialCancelled = 255;

    RequestEngine(LinkState& state, SerialLink& serial, OperationLog& log, QObject* parent = nullptr);

    void setUi(OperationUi* ui) { m_ui = ui; }
    // The TCP server link, used by the text waits while TcpLinkUp is set.
    void setTcpLink(TextLink* tcp) { m_tcp = tcp; }

    int Ozidanie(const QByteArray& command, const QByteArray& expected, int kind, Match mode, int steps);
    int OzidanieImennoOtveta(const QByteArray& command, const QByteArray& expected, int kind, Match mode,
                             int steps);
    bool Day_otvet(const QByteArray& command, const QByteArray& expected, Match mode, int ms);
    int Day_otvet5(const QByteArray& command, const QList<QByteArray>& expected, int ms);
    bool Opros_ModBus(const QByteArray& frame, int length, int ms);
    void Delay(int ms);

    // The Cancel button of the progress window.
    void abort();
    bool AbortRequested = false;

    // The line that ended the last text wait, whichever link carried it.
    QByteArray LastLine;
    // The bytes of the last binary request (also left in the serial RxBuffer).
    QByteArray LastModbusReply;

    bool requestOutstanding() const { return m_outstanding; }
    // Another operation or request holds the link (a click can arrive inside its wait, or in a pause
    // between its exchanges): a new one must not start, or it would be refused half-way, write its
    // outcome over the other's and close the other's progress window.
    bool lineInUse() const;
    // The link the outstanding text wait listens on; nullptr when none runs.
    const TextLink* waitingOn() const { return m_waitingOn; }
    static bool matches(const QByteArray& line, const QByteArray& expected, Match mode);

Q_SIGNALS:
    void aborted();

private:
    int textWait(const QByteArray& command, const QByteArray& expected, int kind, Match mode, int steps,
                 bool discardOthers);
    TextLink& textLink();
    bool refuse(const QByteArray& command);
    // Runs the event loop until wake() is true or msLeft passes; returns at once if wake() holds.
    template <class Wake> void waitUntil(int msLeft, Wake wake, TextLink* link);
    void startGaugeMs(int ms);
    void stopGauge();

    LinkState& m_state;
    SerialLink& m_serial;
    OperationLog& m_log;
    OperationUi* m_ui = nullptr;
    TextLink* m_tcp = nullptr;
    bool m_outstanding = false;
    TextLink* m_waitingOn = nullptr;
    QTimer m_prBar; // T_PrBar
};

} // namespace zvk
