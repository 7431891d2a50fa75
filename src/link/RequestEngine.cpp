#include "link/RequestEngine.h"

#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationLog.h"
#include "link/OperationUi.h"
#include "link/SerialLink.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QScopedValueRollback>
#include <cmath>

namespace zvk {

namespace {
constexpr int StepMs = 1000;
constexpr int TrailingOutputMs = 200;

// Collects every line a link completes during a wait. The waits that skip stray lines look at all
// of them: an echo and the awaited "OK" often arrive in one block, and only the first of those
// becomes LastLine.
class LineCollector {
public:
    explicit LineCollector(TextLink& link) {
        m_connection = QObject::connect(&link, &TextLink::lineReceived,
                                        [this](const QByteArray& line) { m_lines.append(line); });
    }
    ~LineCollector() { QObject::disconnect(m_connection); }
    LineCollector(const LineCollector&) = delete;
    LineCollector& operator=(const LineCollector&) = delete;

    bool empty() const { return m_lines.isEmpty(); }
    QByteArray take() { return m_lines.takeFirst(); }

private:
    QList<QByteArray> m_lines;
    QMetaObject::Connection m_connection;
};

} // namespace

RequestEngine::RequestEngine(LinkState& state, SerialLink& serial, OperationLog& log, QObject* parent)
    : QObject(parent), m_state(state), m_serial(serial), m_log(log) {
    m_prBar.setInterval(100);
    connect(&m_prBar, &QTimer::timeout, this, [this] {
        if (m_ui)
            m_ui->stepGauge();
    });
}

bool RequestEngine::lineInUse() const {
    return m_outstanding || m_state.Busy();
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
    timer.setTimerType(Qt::PreciseTimer);
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
    const QScopedValueRollback outstanding(m_outstanding, true);
    AbortRequested = false;
    if (m_ui) {
        m_ui->setGauge(0, steps);
        m_ui->setTimeLabel(QStringLiteral("Time: "));
    }
    TextLink& link = textLink();
    m_waitingOn = &link;
    LineCollector lines(link);
    link.clearReceive();
    link.sendLine(command, kind);

    int result = NoLine;
    int gauge = 0;
    bool matched = false;
    for (int n = 1; n <= steps && !matched; ++n) {
        QElapsedTimer step;
        step.start();
        if (discardOthers) {
            // Stray lines are thrown away; waiting goes on until this step's second has passed.
            while (!AbortRequested) {
                while (!lines.empty() && !matched) {
                    const QByteArray line = lines.take();
                    if (matches(line, expected, mode)) {
                        LastLine = line;
                        matched = true;
                    }
                }
                link.LineReady = false;
                if (matched || step.elapsed() >= StepMs)
                    break;
                waitUntil(
                    int(StepMs - step.elapsed()), [&] { return !lines.empty() || AbortRequested; }, &link);
            }
        } else {
            waitUntil(
                int(StepMs - step.elapsed()), [&] { return link.LineReady || AbortRequested; }, &link);
        }
        if (m_ui)
            m_ui->setTimeLabel(QStringLiteral("Time: %1 sec.").arg(n));
        if (AbortRequested) {
            matched = false;
            result = NoLine;
            break;
        }
        if (matched) {
            result = Matched;
            break;
        }
        if (!discardOthers && link.LineReady) {
            LastLine = link.LastLine;
            result = matches(LastLine, expected, mode) ? Matched : OtherLine;
            break;
        }
        if (m_ui)
            m_ui->setGauge(++gauge, steps);
    }
    if (m_ui)
        m_ui->setGauge(0, steps);
    m_waitingOn = nullptr;
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

void RequestEngine::stopGauge() {
    m_prBar.stop();
}

bool RequestEngine::Day_otvet(const QByteArray& command, const QByteArray& expected, Match mode, int ms) {
    if (refuse(command))
        return false;
    const QScopedValueRollback outstanding(m_outstanding, true);
    startGaugeMs(ms);
    LineCollector lines(m_serial);
    m_serial.clearReceive();
    m_serial.Sendstr(command, TermCR);
    QElapsedTimer timer2;
    timer2.start();
    bool result = false;
    while (!result) {
        while (!lines.empty() && !result) {
            const QByteArray line = lines.take();
            if (matches(line, expected, mode)) {
                LastLine = line;
                result = true;
            }
        }
        m_serial.LineReady = false;
        if (result || timer2.elapsed() >= ms)
            break;
        waitUntil(
            int(ms - timer2.elapsed()), [&] { return !lines.empty(); }, &m_serial);
    }
    stopGauge();
    // Let the modem's trailing output arrive before the next command.
    Delay(TrailingOutputMs);
    return result;
}

int RequestEngine::Day_otvet5(const QByteArray& command, const QList<QByteArray>& expected, int ms) {
    if (refuse(command))
        return DialTimeout;
    const QScopedValueRollback outstanding(m_outstanding, true);
    startGaugeMs(ms);
    AbortRequested = false;
    LineCollector lines(m_serial);
    m_serial.clearReceive();
    m_serial.Sendstr(command, TermCR);
    QElapsedTimer timer2;
    timer2.start();
    const qsizetype choices = std::min<qsizetype>(expected.size(), 5);
    int result = DialTimeout;
    for (;;) {
        while (!lines.empty() && result == DialTimeout) {
            const QByteArray line = lines.take();
            for (qsizetype i = 0; i < choices; ++i) {
                if (line.startsWith(expected[i])) {
                    result = int(i) + 1;
                    LastLine = line;
                    break;
                }
            }
        }
        m_serial.LineReady = false;
        if (result != DialTimeout)
            break;
        if (AbortRequested) {
            result = DialCancelled;
            break;
        }
        if (timer2.elapsed() >= ms)
            break;
        waitUntil(
            int(ms - timer2.elapsed()), [&] { return !lines.empty() || AbortRequested; }, &m_serial);
    }
    stopGauge();
    return result;
}

bool RequestEngine::Opros_ModBus(const QByteArray& frame, int length, int ms) {
    if (refuse(SpacedHex(frame)))
        return false;
    const QScopedValueRollback outstanding(m_outstanding, true);
    startGaugeMs(ms);
    m_serial.BinaryRxMode = true;
    m_serial.SendBinarStr(frame);
    QElapsedTimer timer2;
    timer2.start();
    m_serial.RxBuffer.clear();
    waitUntil(
        ms, [&] { return m_serial.RxBuffer.size() == length; }, nullptr);
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
    timerDelay.setTimerType(Qt::PreciseTimer);
    connect(&timerDelay, &QTimer::timeout, &loop, &QEventLoop::quit);
    timerDelay.start(ms);
    loop.exec();
}

} // namespace zvk
