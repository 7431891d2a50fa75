#pragma once
// What the simulated devices send back: pieces of bytes, each after a pause, and the few
// things a device can do to the line besides sending (hang up, drop a socket).

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace zvk::sim {

enum class LineAction {
    None,
    EndSession,    // the controller ends the link: a TCP client closes, a data call ends
    CarrierLost,   // the modem's carrier goes (DCD low where the line can show it)
    ConnectServer, // the controller was told to go and connect to the configuration server
};

struct Emission {
    int delayMs = 0; // pause before this piece, counted from the piece before it
    QByteArray bytes;
    LineAction action = LineAction::None; // done after the bytes are sent
    bool binary = false;                  // a Modbus frame, shown in hex in the log
};

using Emissions = QList<Emission>;

// Orders emissions in time: each piece is due its delay after the piece before it (or after
// `now` when nothing is pending), so replies never overtake each other.
class OutputQueue {
public:
    void push(const Emissions& pieces, qint64 nowMs);
    // -1 when empty.
    qint64 nextDue() const { return m_items.isEmpty() ? -1 : m_items.first().due; }
    Emissions takeDue(qint64 nowMs);
    void clear();
    bool isEmpty() const { return m_items.isEmpty(); }

private:
    struct Item {
        qint64 due;
        Emission emission;
    };
    QList<Item> m_items;
    qint64 m_lastDue = 0;
};

} // namespace zvk::sim
