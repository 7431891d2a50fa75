#pragma once
// A scripted serial peer on a pseudo-terminal: the tool opens the slave path with a real
// QSerialPort, the peer reads and writes the master side. Runs on the test's thread through a
// socket notifier, so it answers while the tool's waits run their event loops.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>

namespace zvk::test {

class PtyPeer : public QObject {
    Q_OBJECT
public:
    PtyPeer();
    ~PtyPeer() override;

    QString slavePath() const { return m_slavePath; }
    bool isValid() const { return m_master >= 0; }

    // Raw bytes, at once or after a delay.
    void write(const QByteArray& bytes);
    void writeLater(const QByteArray& bytes, int delayMs);

    // Script: when a complete line (CR or LF terminated) equal to `line` arrives, answer with
    // `reply` after delayMs. A rule with times = 1 fires once. Rules are tried in order.
    void on(const QByteArray& line, const QByteArray& reply, int delayMs = 0, int times = -1);
    // Binary: when the received bytes end with `bytes`, answer.
    void onBytes(const QByteArray& bytes, const QByteArray& reply, int delayMs = 0, int times = -1);
    // A handler for every complete line; return true when it answered.
    void onAnyLine(std::function<void(const QByteArray&)> handler) { m_anyLine = std::move(handler); }

    QByteArray received() const { return m_received; }
    QList<QByteArray> lines() const { return m_lines; }
    void clearReceived();

    // Pumps the event loop until n bytes / a line arrived, or the timeout passed.
    bool waitForBytes(qsizetype n, int timeoutMs = 3000);
    bool waitForLines(qsizetype n, int timeoutMs = 3000);

    // The device goes away: the master is closed, the tool's port sees a hang-up.
    void closeMaster();

Q_SIGNALS:
    void lineArrived(const QByteArray& line);

private:
    struct Rule {
        QByteArray match;
        QByteArray reply;
        int delayMs;
        int times;
        bool binary;
    };
    void onReadable();
    void flushOutgoing();
    void checkRules();

    int m_master = -1;
    int m_slaveKeep = -1; // keeps the line discipline alive while the tool reopens its side
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QByteArray m_outgoing;
    QByteArray m_received;
    QByteArray m_partial;
    QList<QByteArray> m_lines;
    QList<Rule> m_rules;
    std::function<void(const QByteArray&)> m_anyLine;
};

// Pumps the event loop for ms milliseconds.
void pump(int ms);
// Pumps until cond() holds or the timeout passes; returns cond().
bool pumpUntil(const std::function<bool()>& cond, int timeoutMs = 3000);

} // namespace zvk::test
