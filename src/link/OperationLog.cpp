#include "link/OperationLog.h"

#include "link/Frames.h"

namespace zvk {

Rgb OperationLog::colour(LogKind kind) {
    switch (kind) {
    case LogKind::SerialSent:
        return rgb(255, 0, 0);
    case LogKind::SerialReceived:
        return rgb(0, 0, 255);
    case LogKind::Info:
        return rgb(0, 128, 0);
    case LogKind::TcpSent:
        return rgb(255, 0, 255);
    case LogKind::TcpReceived:
        return rgb(128, 0, 128);
    case LogKind::None:
        break;
    }
    return rgb(0, 0, 0);
}

QString OperationLog::TimeMark(const QTime& time) {
    return QStringLiteral("%1:%2:%3.%4 >")
        .arg(time.hour())
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(time.msec(), 3, 10, QLatin1Char('0'));
}

QString OperationLog::fromWireText(const QByteArray& line) {
    return fromWire(line);
}

void OperationLog::append(const QString& text, Rgb colour) {
    ++m_lines;
    if (m_view)
        m_view->appendLogLine(text, colour);
}

void OperationLog::write(LogKind kind, const QString& text) {
    const Rgb c = colour(kind);
    bool blank = false;
    switch (kind) {
    case LogKind::SerialSent:
    case LogKind::TcpSent:
        blank = m_lastKind != kind && !isEmpty();
        break;
    case LogKind::SerialReceived:
    case LogKind::TcpReceived:
        blank = m_lastKind != kind;
        break;
    case LogKind::Info:
        blank = !isEmpty();
        break;
    case LogKind::None:
        return;
    }
    // A failing view loses the entry but never the operation that writes it.
    try {
        if (blank)
            append(QString(), c);
        append(m_timeMarks ? TimeMark(QTime::currentTime()) + text : text, c);
    } catch (...) {
    }
    m_lastKind = kind;
}

void OperationLog::clear() {
    m_lines = 0;
    if (m_view)
        m_view->clearLog();
}

} // namespace zvk
