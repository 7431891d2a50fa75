#pragma once
// Fault injection: rules given on the command line ("--fault KIND[=VALUE][:CMD][@COUNT]") that
// change a device's reply to the requests they name, or to every request.

#include "core/Emission.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace zvk::sim {

enum class FaultKind { NoReply, WrongLineFirst, BadCrc, Split, Delay, Drop, Dial };

enum class DialResult { Connect, Busy, NoAnswer, NoCarrier, NoDialtone, Silent };

struct FaultRule {
    FaultKind kind = FaultKind::NoReply;
    QByteArray value;   // text after "=", as given
    QByteArray command; // empty: every request
    int remaining = -1; // -1: no limit
    int number = 0;     // split: fragments; delay: milliseconds
    QByteArray line;    // wrong-line-first: the line sent first
    DialResult dial = DialResult::Connect;
};

// Parses one rule; nullopt and an explanation in *error when the text is not a rule.
std::optional<FaultRule> parseFault(const QString& text, QString* error);

// Whether a rule naming `command` applies to `request` (a request line with the "ZVK+" prefix
// removed, an AT command line, or "MODBUS03"/"MODBUS06"): the request begins with the command,
// compared without case, and the next character does not continue a name (VT matches "VT?" and
// "VT=...", MBADRW matches "MBADRW09002F?", DFV does not match "DFV_MBAD26").
bool commandMatches(const QByteArray& command, const QByteArray& request);

// A reply before the faults touch it: lines (sent with `terminator`) after a pause, then an action.
struct Reply {
    QList<QByteArray> lines;
    int delayMs = 0;
    LineAction after = LineAction::None;
    int afterDelayMs = 0; // pause between the last line and the action
    bool binary = false;  // a Modbus frame: one "line", no terminator
    bool empty() const { return lines.isEmpty() && after == LineAction::None; }
};

class FaultSet {
public:
    void add(const FaultRule& rule) { m_rules.append(rule); }
    bool isEmpty() const { return m_rules.isEmpty(); }

    // Applies the matching rules to the reply of `request` and turns it into emissions. Each
    // matching rule with a count uses up one of it.
    Emissions apply(const QByteArray& request, const Reply& reply, const QByteArray& terminator);

    // The dial outcome a rule asks for, or Connect.
    DialResult dialResult(const QByteArray& request);

private:
    QList<FaultRule> m_rules;
};

// Plain conversion of a reply, no faults.
Emissions toEmissions(const Reply& reply, const QByteArray& terminator);

// Replaces the last CRC digit of a line that carries a valid text CRC, or the last byte of a
// Modbus frame, so the check fails; other lines are returned unchanged.
QByteArray corruptCrc(const QByteArray& line, bool binary);

} // namespace zvk::sim
