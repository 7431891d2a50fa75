#include "core/Modem.h"

#include <algorithm>
#include <limits>

namespace zvk::sim {

namespace {

const QByteArray Crlf = "\r\n";

QByteArray dialText(DialResult r) {
    switch (r) {
    case DialResult::Connect:
        return "CONNECT 9600";
    case DialResult::Busy:
        return "BUSY";
    case DialResult::NoAnswer:
        return "NO ANSWER";
    case DialResult::NoCarrier:
        return "NO CARRIER";
    case DialResult::NoDialtone:
        return "NO DIALTONE";
    case DialResult::Silent:
        break;
    }
    return {};
}

bool startsWithAny(const QByteArray& s, std::initializer_list<const char*> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const char* p) { return s.startsWith(p); });
}

} // namespace

Modem::Modem(const ModemConfig& config, Controller& controller, FaultSet& faults)
    : m_config(config), m_faults(faults), m_controllerPort(controller, faults), m_echo(config.echoAtPowerUp),
      m_lastRxMs(std::numeric_limits<qint64>::min() / 2) {}

void Modem::reset() {
    m_state = State::Command;
    m_typed.clear();
    m_plusCount = 0;
    m_escapeAt = -1;
    m_dialDoneAt = -1;
    m_controllerPort.reset();
}

QByteArray Modem::registrationLine() const {
    const int n = m_config.registration;
    if (m_config.type == ModemType::G24)
        return "+CREG: 000," + QByteArray::number(n).rightJustified(3, '0');
    return "+CREG: 0," + QByteArray::number(n);
}

Emissions Modem::result(const QByteArray& line, const QList<QByteArray>& texts) {
    Reply r;
    r.delayMs = m_config.responseMs;
    for (const QByteArray& t : texts)
        r.lines.append(Crlf + t);
    return m_faults.apply(line, r, Crlf);
}

Emissions Modem::feed(const QByteArray& bytes, qint64 nowMs) {
    Emissions out;
    switch (m_state) {
    case State::Command:
    case State::OnlineCommand:
        out = commandBytes(bytes, nowMs);
        break;
    case State::Dialing:
        // Any character from the terminal aborts the call attempt; the rest of it is dropped.
        m_state = State::Command;
        m_dialDoneAt = -1;
        m_typed.clear();
        out = result(m_dialLine, {"NO CARRIER"});
        break;
    case State::Online:
        out = onlineBytes(bytes, nowMs);
        break;
    }
    m_lastRxMs = nowMs;
    return out;
}

Emissions Modem::commandBytes(const QByteArray& bytes, qint64 nowMs) {
    Emissions out;
    if (m_echo)
        out.append({0, bytes, LineAction::None});
    for (char c : bytes) {
        if (c == '\n')
            continue;
        if (c == '\r') {
            const QByteArray line = m_typed.trimmed();
            m_typed.clear();
            if (line.size() >= 2 && line.left(2).toUpper() == "AT")
                out += command(line, nowMs);
            // Anything that does not begin with AT is not a command: the modem ignores it.
            continue;
        }
        if (m_typed.size() < 256)
            m_typed.append(c);
    }
    return out;
}

Emissions Modem::command(const QByteArray& line, qint64 nowMs) {
    const QByteArray up = line.toUpper();
    const QByteArray body = up.mid(2);

    if (body.startsWith('D')) {
        if (m_state == State::OnlineCommand)
            return result(line, {"ERROR"});
        const QByteArray number = line.mid(3).trimmed();
        if (number.isEmpty() || number.contains(';'))
            return result(line, {"ERROR"});
        m_dialResult = m_faults.dialResult(line);
        m_dialLine = line;
        m_state = State::Dialing;
        m_dialDoneAt = m_dialResult == DialResult::Silent ? -1 : nowMs + m_config.dialMs;
        return {};
    }
    if (body == "H" || body == "H0") {
        if (m_state == State::OnlineCommand) {
            m_state = State::Command;
            m_controllerPort.reset();
            Emissions out = result(line, {"NO CARRIER", "OK"});
            out.append({0, {}, LineAction::CarrierLost});
            return out;
        }
        return result(line, {"OK"});
    }
    if (body == "O" || body == "O0") {
        if (m_state == State::OnlineCommand) {
            m_state = State::Online;
            return result(line, {"CONNECT 9600"});
        }
        return result(line, {"NO CARRIER"});
    }
    if (body == "E0" || body == "E1" || body == "E") {
        m_echo = body == "E1";
        return result(line, {"OK"});
    }
    if (body == "Z" || body == "&F") {
        m_echo = true;
        return result(line, {"OK"});
    }
    if (body == "I")
        return result(line, {m_config.type == ModemType::G24 ? "Motorola G24" : "SIEMENS MC35i", "OK"});
    if (body == "+CREG?")
        return result(line, {registrationLine(), "OK"});
    if (body == "+CSQ")
        return result(line, {m_config.type == ModemType::G24 ? "+CSQ: 021,099" : "+CSQ: 21,99", "OK"});
    if (body == "+CGSN")
        return result(line, {m_config.imei, "OK"});
    if (body == "+CBST?")
        return result(line, {"+CBST: 7,0,1", "OK"});
    if (body.isEmpty() || startsWithAny(body, {"+IPR=", "+CLIP=", "+CBST=", "+CMGF=", "+CREG=", "V1", "Q0",
                                               "&C", "&D", "&W", "S0="}))
        return result(line, {"OK"});
    return result(line, {"ERROR"});
}

Emissions Modem::onlineBytes(const QByteArray& bytes, qint64 nowMs) {
    const bool onlyPlus =
        !bytes.isEmpty() && std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '+'; });
    if (m_escapeAt >= 0 || m_plusCount > 0) {
        if (onlyPlus && m_escapeAt < 0 && m_plusCount + bytes.size() <= 3) {
            m_plusCount += static_cast<int>(bytes.size());
            if (m_plusCount == 3)
                m_escapeAt = nowMs;
            return {};
        }
        // More data within the guard time: the pluses were data after all.
        const QByteArray held(m_plusCount, '+');
        m_plusCount = 0;
        m_escapeAt = -1;
        return fromController(m_controllerPort.feed(held + bytes, nowMs));
    }
    if (onlyPlus && bytes.size() <= 3 && nowMs - m_lastRxMs >= m_config.guardMs) {
        m_plusCount = static_cast<int>(bytes.size());
        if (m_plusCount == 3)
            m_escapeAt = nowMs;
        return {};
    }
    return fromController(m_controllerPort.feed(bytes, nowMs));
}

Emissions Modem::fromController(const Emissions& pieces) {
    Emissions out;
    for (const Emission& e : pieces) {
        if (e.action != LineAction::EndSession) {
            out.append(e);
            continue;
        }
        // The controller hung up (after "DISCONNECT", a reboot, a dropped link).
        if (!e.bytes.isEmpty())
            out.append({e.delayMs, e.bytes, LineAction::None});
        out.append({(e.bytes.isEmpty() ? e.delayMs : 0) + m_config.hangupMs, Crlf + "NO CARRIER" + Crlf,
                    LineAction::CarrierLost});
        m_state = State::Command;
        m_controllerPort.reset();
        break;
    }
    return out;
}

qint64 Modem::nextDeadline() const {
    qint64 next = -1;
    if (m_state == State::Dialing && m_dialDoneAt >= 0)
        next = m_dialDoneAt;
    if (m_escapeAt >= 0) {
        const qint64 esc = m_escapeAt + m_config.guardMs;
        next = next < 0 ? esc : std::min(next, esc);
    }
    return next;
}

Emissions Modem::poll(qint64 nowMs) {
    Emissions out;
    if (m_state == State::Dialing && m_dialDoneAt >= 0 && nowMs >= m_dialDoneAt) {
        m_dialDoneAt = -1;
        m_state = m_dialResult == DialResult::Connect ? State::Online : State::Command;
        m_lastRxMs = nowMs;
        out += result(m_dialLine, {dialText(m_dialResult)});
    }
    if (m_state == State::Online && m_escapeAt >= 0 && nowMs - m_escapeAt >= m_config.guardMs) {
        m_escapeAt = -1;
        m_plusCount = 0;
        m_state = State::OnlineCommand;
        out += result("+++", {"OK"});
    }
    return out;
}

} // namespace zvk::sim
