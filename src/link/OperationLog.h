#pragma once
// The operation log: every line sent to or received from the controller or the modem, and the
// information lines of the listening socket, each kind in its colour, with the blank-line rules and
// optional time marks. The rules live here; a LogView (the window's rich-text box, or a recorder in
// tests) only appends finished lines.

#include "link/Rgb.h"
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTime>

namespace zvk {

enum class LogKind { None, SerialSent, SerialReceived, Info, TcpSent, TcpReceived };

class LogView {
public:
    virtual ~LogView() = default;
    virtual void appendLogLine(const QString& text, Rgb colour) = 0;
    virtual void clearLog() = 0;
};

class OperationLog : public QObject {
    Q_OBJECT
public:
    explicit OperationLog(QObject* parent = nullptr) : QObject(parent) {}

    void setView(LogView* view) { m_view = view; }
    void setTimeMarks(bool on) { m_timeMarks = on; }
    bool timeMarks() const { return m_timeMarks; }

    void write(LogKind kind, const QString& text);
    // Wire lines are Windows-1251 bytes.
    void serialSent(const QByteArray& line) { write(LogKind::SerialSent, fromWireText(line)); }
    void serialReceived(const QByteArray& line) { write(LogKind::SerialReceived, fromWireText(line)); }
    void tcpSent(const QByteArray& line) { write(LogKind::TcpSent, fromWireText(line)); }
    void tcpReceived(const QByteArray& line) { write(LogKind::TcpReceived, fromWireText(line)); }
    void WriteInfToRich(const QString& text) { write(LogKind::Info, text); }

    // "CLEAR": empties the log; LastLogKind survives, so the blank-line rules go on as before.
    void clear();

    LogKind LastLogKind() const { return m_lastKind; }
    bool isEmpty() const { return m_lines == 0; }
    qint64 lineCount() const { return m_lines; }

    static Rgb colour(LogKind kind);
    // "9:05:03.042 >": hours without a leading zero.
    static QString TimeMark(const QTime& time);

private:
    static QString fromWireText(const QByteArray& line);
    void append(const QString& text, Rgb colour);

    LogView* m_view = nullptr;
    bool m_timeMarks = false;
    LogKind m_lastKind = LogKind::None;
    qint64 m_lines = 0;
};

} // namespace zvk
