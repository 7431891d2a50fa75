#include "carriers/Carrier.h"

#include <algorithm>
#include <cstdio>

namespace zvk::sim {

namespace {
QByteArray printable(const QByteArray& data, bool binary) {
    if (binary)
        return data.toHex(' ').toUpper();
    QByteArray out;
    for (char c : data) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (u < 0x20 || u == 0x7F)
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}
} // namespace

void TrafficLog::bytes(const char* carrier, const char* direction, const QByteArray& data,
                       bool binary) const {
    if (!m_enabled || data.isEmpty())
        return;
    std::fprintf(stderr, "[%s] %s %s\n", carrier, direction, printable(data, binary).constData());
    std::fflush(stderr);
}

void TrafficLog::note(const QString& text) const {
    std::fprintf(stderr, "zvk35-sim: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void TrafficLog::detail(const QString& text) const {
    if (m_enabled)
        note(text);
}

Carrier::Carrier(const char* name, Endpoint& endpoint, const QElapsedTimer& clock, const TrafficLog& log,
                 QObject* parent)
    : QObject(parent), m_name(name), m_endpoint(endpoint), m_clock(clock), m_log(log) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Carrier::onTimer);
}

void Carrier::received(const QByteArray& bytes) {
    m_log.bytes(m_name, "<-", bytes, m_endpoint.binary());
    const qint64 now = m_clock.elapsed();
    m_queue.push(m_endpoint.feed(bytes, now), now);
    onTimer();
}

void Carrier::lineLost() {
    ++m_generation;
    m_queue.clear();
    m_endpoint.reset();
    m_timer.stop();
}

void Carrier::schedule() {
    qint64 next = m_queue.nextDue();
    const qint64 deadline = m_endpoint.nextDeadline();
    if (deadline >= 0)
        next = next < 0 ? deadline : std::min(next, deadline);
    if (next < 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(static_cast<int>(std::max<qint64>(0, next - m_clock.elapsed())));
}

void Carrier::onTimer() {
    const qint64 now = m_clock.elapsed();
    m_queue.push(m_endpoint.poll(now), now);
    const int generation = m_generation;
    for (const Emission& e : m_queue.takeDue(m_clock.elapsed())) {
        if (!e.bytes.isEmpty()) {
            m_log.bytes(m_name, "->", e.bytes, e.binary);
            writeBytes(e.bytes);
        }
        if (e.action != LineAction::None)
            act(e.action);
        if (generation != m_generation)
            return; // the line went away; what was still due goes with it
    }
    schedule();
}

} // namespace zvk::sim
