#include "link/RequestEngine.h"

#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationLog.h"
#include "link/OperationUi.h"
#include "link/SerialLink.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <cmath>

namespace zvk {

namespace {
constexpr int StepMs = 1000;
constexpr int TrailingOutputMs = 200;

class OutstandingGuard {
public:
    explicit OutstandingGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~OutstandingGuard() { m_flag = false; }
    OutstandingGuard(const OutstandingGuard&) = delete;
    OutstandingGuard& operator=(const OutstandingGuard&) = delete;

private:
    bool& m_flag;
};
}  // namespace

RequestEngine::RequestEngine(LinkState& state, SerialLink& serial, OperationLog& log, QObject* parent)
    : QObject(parent), m_state(state), m_serial(serial), m_log(log) {
    m_prBar.setInterval(100);
    connect(&m_prBar, &QTimer::timeout, this, [this] {
        if (m_ui)
            m_ui->stepGauge();
    });
}

bool RequestEngine::matches(const QByteArray& line, const QByteArray& expected, Match mode) {
    return mode == Match::Exact ? line == expected : line.startsWith(expected);
}

void RequestEngine::abort() {
    AbortRequested = true;
    Q_EMIT aborted();
}

TextLink& RequestEngine::textLink() {
    if (m_state.TcpLinkUp() && m_tcp)
        return *m_tcp;
    return m_serial;
}

bool RequestEngine::refuse(const QByteArray& command) {
    if (!m_outstanding)
        return false;
    m_log.WriteInfToRich(QStringLiteral("Запрос \"%1\" не отправлен: ожидается ответ на предыдущий запрос")
                             .arg(fromWire(command)));
    return true;
}

template <class Wake> void RequestEngine::waitUntil(int msLeft, Wake wake, TextLink* link) {
    if (wake() || msLeft <= 0)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &RequestEngine::aborted, &loop, &QEventLoop::quit);
    if (link) {
        connect(link, &TextLink::lineReadyRaised, &loop, &QEventLoop::quit);
        connect(link, &TextLink::lineReceived, &loop, &QEventLoop::quit);
    }
    connect(&m_serial, &SerialLink::bytesReceived, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    while (!wake()) {
        const qint64 left = msLeft - clock.elapsed();
        if (left <= 0)
            return;
        timer.start(int(left));
        loop.exec();
    }
}

int RequestEngine::textWait(const QByteArray& command, const QByteArray& expected, int kind, Match mode,
                            int steps, bool discardOthers) {
    if (refuse(command))
        return NoLine;
    OutstandingGuard guard(m_outstanding);
    AbortRequested = false;
    if (m_ui) {
        m_ui->setGauge(0, steps);
        m_ui->setTimeLabel(QStringLiteral("Time: "));
    }
    TextLink& link = textLink();
    link.clearReceive();
    link.sendLine(command, kind);

    int result = NoLine;
    int gauge = 0;
    for (int n = 1; n <= steps; ++n) {
        QElapsedTimer step;
        step.start();
        for (;;) {
            waitUntil(int(StepMs - step.elapsed()), [&] { return link.LineReady || AbortRequested; }, &link);
            if (AbortRequested || !link.LineReady)
                break;
            if (!discardOthers || matches(link.LastLine, expected, mode))
                break;
            // The named-reply wait throws a stray line away, partial next line included.
            link.clearReceive();
            if (step.elapsed() >= StepMs)
                break;
        }
        if (m_ui)
            m_ui->setTimeLabel(QStringLiteral("Time: %1 sec.").arg(n));
        if (AbortRequested) {
            result = NoLine;
            break;
        }
        if (link.LineReady) {
            LastLine = link.LastLine;
            result = matches(LastLine, expected, mode) ? Matched : OtherLine;
            break;
        }
        if (m_ui)
            m_ui->setGauge(++gauge, steps);
    }
    if (m_ui)
        m_ui->setGauge(0, steps);
    return result;
}

int RequestEngine::Ozidanie(const QByteArray& command, const QByteArray& expected, int kind, Match mode,
                            int steps) {
    return textWait(command, expected, kind, mode, steps, false);
}

int RequestEngine::OzidanieImennoOtveta(const QByteArray& command, const QByteArray& expected, int kind,
                                        Match mode, int steps) {
    return textWait(command, expected, kind, mode, steps, true);
}

void RequestEngine::startGaugeMs(int ms) {
    if (m_ui)
        m_ui->setGauge(0, int(std::lround(ms / 100.0)));
    m_prBar.start();
}

void RequestEngine::stopGauge() { m_prBar.stop(); }

bool RequestEngine::Day_otvet(const QByteArray& command, const QByteArray& expected, Match mode, int ms) {
    if (refuse(command))
        return false;
    OutstandingGuard guard(m_outstanding);
    startGaugeMs(ms);
    m_serial.Sendstr(command, TermCR);
    QElapsedTimer timer2;
    timer2.start();
    bool result = false;
    for (;;) {
        m_serial.clearReceive();
        waitUntil(int(ms - timer2.elapsed()), [&] { return m_serial.LineReady; }, &m_serial);
        if (m_serial.LineReady && matches(m_serial.LastLine, expected, mode)) {
            LastLine = m_serial.LastLine;
            result = true;
            break;
        }
        if (timer2.elapsed() >= ms)
            break;
    }
    stopGauge();
    // Let the modem's trailing output arrive before the next command.
    Delay(TrailingOutputMs);
    return result;
}

int RequestEngine::Day_otvet5(const QByteArray& command, const QList<QByteArray>& expected, int ms) {
    if (refuse(command))
        return DialTimeout;
    OutstandingGuard guard(m_outstanding);
    startGaugeMs(ms);
    AbortRequested = false;
    m_serial.Sendstr(command, TermCR);
    QElapsedTimer timer2;
    timer2.start();
    int result = DialTimeout;
    for (;;) {
        m_serial.clearReceive();
        waitUntil(int(ms - timer2.elapsed()), [&] { return m_serial.LineReady || AbortRequested; }, &m_serial);
        if (m_serial.LineReady) {
            const qsizetype n = std::min<qsizetype>(expected.size(), 5);
            for (qsizetype i = 0; i < n; ++i) {
                if (m_serial.LastLine.startsWith(expected[i])) {
                    result = int(i) + 1;
                    break;
                }
            }
            if (result != DialTimeout) {
                LastLine = m_serial.LastLine;
                break;
            }
        }
        if (AbortRequested) {
            result = DialCancelled;
            break;
        }
        if (timer2.elapsed() >= ms)
            break;
    }
    stopGauge();
    return result;
}

bool RequestEngine::Opros_ModBus(const QByteArray& frame, int length, int ms) {
    if (refuse(SpacedHex(frame)))
        return false;
    OutstandingGuard guard(m_outstanding);
    startGaugeMs(ms);
    m_serial.BinaryRxMode = true;
    m_serial.SendBinarStr(frame);
    QElapsedTimer timer2;
    timer2.start();
    m_serial.RxBuffer.clear();
    waitUntil(ms, [&] { return m_serial.RxBuffer.size() == length; }, nullptr);
    LastModbusReply = m_serial.RxBuffer;
    const bool ok = LastModbusReply.size() == length && CheckModbusCRC(LastModbusReply);
    if (ok)
        m_log.serialReceived(SpacedHex(LastModbusReply));
    m_serial.BinaryRxMode = false;
    stopGauge();
    return ok;
}

void RequestEngine::Delay(int ms) {
    QEventLoop loop;
    QTimer timerDelay;
    timerDelay.setSingleShot(true);
    connect(&timerDelay, &QTimer::timeout, &loop, &QEventLoop::quit);
    timerDelay.start(ms);
    loop.exec();
}

}  // namespace zvk
