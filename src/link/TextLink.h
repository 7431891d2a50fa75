#pragma once
// A carrier of the text protocol: the serial port or the TCP clients. It assembles received bytes
// into lines and keeps the receive state the request engine waits on. The request engine talks
// only to this interface, so it never knows which carrier it uses.

#include <QByteArray>
#include <QObject>

namespace zvk {

class OperationLog;

class TextLink : public QObject {
    Q_OBJECT
public:
    // A partial line longer than this is dropped: a peer that never sends a terminator must not
    // grow the buffer without bound. The longest legitimate line is about 8 200 characters.
    static constexpr qsizetype MaxPartialLine = 65536;

    explicit TextLink(OperationLog& log, QObject* parent = nullptr) : QObject(parent), m_log(log) {}

    // Receive state: the bytes since the last complete line, the first complete line since
    // LineReady was cleared, and the flag. Only the request engine clears LineReady.
    QByteArray RxBuffer;
    QByteArray LastLine;
    bool LineReady = false;

    void clearReceive() {
        RxBuffer.clear();
        LineReady = false;
        m_discarding = false;
    }

    // Sends text with the terminator of kind (0 none, 1 CR, 2 CR LF) and logs it.
    virtual void sendLine(const QByteArray& text, int kind) = 0;

Q_SIGNALS:
    void lineReadyRaised();                    // LineReady went from clear to set
    void lineReceived(const QByteArray& line); // every complete line, after LastLine is handled

protected:
    // Line assembly: CR or LF ends a line, empty lines are dropped, the rest waits for the next
    // block. Calls handleLine for every complete line.
    void assemble(const QByteArray& data);
    // Called for each complete line after LastLine/LineReady are updated.
    virtual void handleLine(const QByteArray& line) = 0;

    OperationLog& m_log;

private:
    bool m_discarding = false; // inside an overlong line, until its terminator
};

} // namespace zvk
