#pragma once
// What sits at the end of a line: the controller's text port, its Modbus RTU port, the cable
// port that switches between the two, and (in Modem.h) a GSM modem. Bytes from the tool go in,
// timed emissions come out; the carriers (pty, TCP) only move bytes.

#include "core/Controller.h"
#include "core/Emission.h"
#include "core/Faults.h"

#include <QByteArray>
#include <QList>

namespace zvk::sim {

class Endpoint {
public:
    virtual ~Endpoint() = default;
    virtual Emissions feed(const QByteArray& bytes, qint64 nowMs) = 0;
    // Timers of the endpoint itself (a modem's guard time, a dial); -1 when none is due.
    virtual qint64 nextDeadline() const { return -1; }
    virtual Emissions poll(qint64 /*nowMs*/) { return {}; }
    // The tool closed its side of the line (or a new TCP connection begins).
    virtual void reset() {}
    // Whether the bytes the endpoint receives are binary frames (for the log).
    virtual bool binary() const { return false; }
};

// Splits received bytes into lines at CR or LF; empty lines are dropped, and a line that grows
// past the limit without a terminator is thrown away up to its terminator.
class LineAssembler {
public:
    static constexpr qsizetype MaxLine = 1024;
    QList<QByteArray> feed(const QByteArray& bytes);
    void clear();

private:
    QByteArray m_buffer;
    bool m_overflow = false;
};

// The request key the fault rules match against.
QByteArray faultKey(const QByteArray& line);

// The controller's text port. A partial line left alone longer than PartialLineMs is dropped,
// so stray bytes (Modbus frames sent to a port in text mode) do not spoil the next request.
class TextPort : public Endpoint {
public:
    static constexpr qint64 PartialLineMs = 2000;
    TextPort(Controller& controller, FaultSet& faults) : m_controller(controller), m_faults(faults) {}
    Emissions feed(const QByteArray& bytes, qint64 nowMs) override;
    void reset() override { m_lines.clear(); }
    Emissions handleLine(const QByteArray& line);

private:
    Controller& m_controller;
    FaultSet& m_faults;
    LineAssembler m_lines;
    qint64 m_lastByteMs = 0;
};

// Modbus RTU on the cable: 8-byte requests framed by their CRC; a partial frame left alone for
// longer than the inter-frame gap is dropped, as a slave does after 3.5 characters of silence.
class ModbusPort : public Endpoint {
public:
    static constexpr qint64 FrameGapMs = 50;
    ModbusPort(Controller& controller, FaultSet& faults) : m_controller(controller), m_faults(faults) {}
    Emissions feed(const QByteArray& bytes, qint64 nowMs) override;
    void reset() override { m_buffer.clear(); }
    bool binary() const override { return true; }

private:
    Controller& m_controller;
    FaultSet& m_faults;
    QByteArray m_buffer;
    qint64 m_lastByteMs = 0;
};

// The controller's configuration port on a cable: text or Modbus RTU, as the port mode says at
// the moment the bytes arrive.
class CablePort : public Endpoint {
public:
    CablePort(Controller& controller, FaultSet& faults)
        : m_controller(controller), m_text(controller, faults), m_modbus(controller, faults) {}
    Emissions feed(const QByteArray& bytes, qint64 nowMs) override;
    void reset() override;
    bool binary() const override { return !m_controller.textPort(); }

private:
    Controller& m_controller;
    TextPort m_text;
    ModbusPort m_modbus;
    bool m_wasText = true;
};

} // namespace zvk::sim
