#pragma once
// The thin layer between an endpoint (controller port, modem) and a real line: feeds it the
// received bytes with the time, sends its emissions when they fall due, and carries out its
// line actions in the carrier's own way.

#include "core/Emission.h"
#include "core/Ports.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace zvk::sim {

// Verbose log of the exchanged bytes on stderr.
class TrafficLog {
public:
    explicit TrafficLog(bool enabled) : m_enabled(enabled) {}
    void bytes(const char* carrier, const char* direction, const QByteArray& data, bool binary) const;
    void note(const QString& text) const;   // always shown
    void detail(const QString& text) const; // shown with --verbose
    bool enabled() const { return m_enabled; }

private:
    bool m_enabled;
};

class Carrier : public QObject {
    Q_OBJECT
public:
    Carrier(const char* name, Endpoint& endpoint, const QElapsedTimer& clock, const TrafficLog& log,
            QObject* parent = nullptr);

protected:
    void received(const QByteArray& bytes);
    // The line went away (tool closed its port, socket closed): nothing pending survives.
    void lineLost();
    virtual bool writeBytes(const QByteArray& bytes) = 0;
    virtual void act(LineAction action) = 0;

    const char* m_name;
    Endpoint& m_endpoint;
    const QElapsedTimer& m_clock;
    const TrafficLog& m_log;

private:
    void schedule();
    void onTimer();

    OutputQueue m_queue;
    QTimer m_timer;
    int m_generation = 0;
};

} // namespace zvk::sim
