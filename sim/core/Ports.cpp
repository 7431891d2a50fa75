#include "core/Ports.h"

#include "core/Hex.h"
#include "link/Frames.h"

namespace zvk::sim {

namespace {
const QByteArray LineEnd = "\r\n";
constexpr qsizetype ModbusRequestLength = 8;
} // namespace

QList<QByteArray> LineAssembler::feed(const QByteArray& bytes) {
    QList<QByteArray> lines;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!m_overflow && !m_buffer.isEmpty())
                lines.append(m_buffer);
            m_buffer.clear();
            m_overflow = false;
            continue;
        }
        if (m_overflow)
            continue;
        if (m_buffer.size() >= MaxLine) {
            m_buffer.clear();
            m_overflow = true;
            continue;
        }
        m_buffer.append(c);
    }
    return lines;
}

void LineAssembler::clear() {
    m_buffer.clear();
    m_overflow = false;
}

QByteArray faultKey(const QByteArray& line) {
    return line.startsWith("ZVK+") ? line.mid(4) : line;
}

Emissions TextPort::handleLine(const QByteArray& line) {
    const Reply r = m_controller.handleLine(line);
    return m_faults.apply(faultKey(line), r, LineEnd);
}

Emissions TextPort::feed(const QByteArray& bytes, qint64 nowMs) {
    if (nowMs - m_lastByteMs > PartialLineMs)
        m_lines.clear();
    m_lastByteMs = nowMs;
    Emissions out;
    for (const QByteArray& line : m_lines.feed(bytes))
        out += handleLine(line);
    return out;
}

Emissions ModbusPort::feed(const QByteArray& bytes, qint64 nowMs) {
    if (!m_buffer.isEmpty() && nowMs - m_lastByteMs > FrameGapMs)
        m_buffer.clear();
    m_lastByteMs = nowMs;
    m_buffer += bytes;
    Emissions out;
    while (m_buffer.size() >= ModbusRequestLength) {
        const QByteArray frame = m_buffer.left(ModbusRequestLength);
        if (!CheckModbusCRC(frame)) {
            // Not a request we know, or noise: slide on until a frame lines up.
            m_buffer.remove(0, 1);
            continue;
        }
        m_buffer.remove(0, ModbusRequestLength);
        const Reply r = m_controller.handleModbus(frame);
        out += m_faults.apply("MODBUS" + hexByte(static_cast<std::uint8_t>(frame[1])), r, {});
    }
    return out;
}

Emissions CablePort::feed(const QByteArray& bytes, qint64 nowMs) {
    const bool text = m_controller.textPort();
    if (text != m_wasText) {
        // The port changed mode: what either side had half received is gone.
        m_text.reset();
        m_modbus.reset();
        m_wasText = text;
    }
    return text ? m_text.feed(bytes, nowMs) : m_modbus.feed(bytes, nowMs);
}

void CablePort::reset() {
    m_text.reset();
    m_modbus.reset();
}

} // namespace zvk::sim
