#include "core/Faults.h"

#include "link/Frames.h"

#include <QRegularExpression>

namespace zvk::sim {

namespace {

constexpr int SplitPauseMs = 100;

bool continuesName(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

QByteArray stripPrefix(QByteArray text) {
    if (text.toUpper().startsWith("ZVK+"))
        text.remove(0, 4);
    return text;
}

std::optional<DialResult> parseDial(const QByteArray& v) {
    if (v == "connect")
        return DialResult::Connect;
    if (v == "busy")
        return DialResult::Busy;
    if (v == "no-answer")
        return DialResult::NoAnswer;
    if (v == "no-carrier")
        return DialResult::NoCarrier;
    if (v == "no-dialtone")
        return DialResult::NoDialtone;
    if (v == "silent")
        return DialResult::Silent;
    return std::nullopt;
}

} // namespace

std::optional<FaultRule> parseFault(const QString& text, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::optional<FaultRule>{};
    };
    QByteArray faultText = text.toLatin1();
    FaultRule rule;

    static const QRegularExpression countSuffix(QStringLiteral("@([0-9]+)$"));
    const auto m = countSuffix.match(text);
    if (m.hasMatch()) {
        rule.remaining = m.captured(1).toInt();
        if (rule.remaining <= 0)
            return fail(QStringLiteral("the count after @ must be 1 or more"));
        faultText.chop(m.capturedLength(0));
    }
    const qsizetype colon = faultText.indexOf(':');
    if (colon >= 0) {
        rule.command = stripPrefix(faultText.mid(colon + 1));
        faultText.truncate(colon);
        if (rule.command.isEmpty())
            return fail(QStringLiteral("empty command after ':'"));
    }
    QByteArray kind = faultText;
    const qsizetype eq = faultText.indexOf('=');
    if (eq >= 0) {
        kind = faultText.left(eq);
        rule.value = faultText.mid(eq + 1);
    }

    if (kind == "no-reply") {
        rule.kind = FaultKind::NoReply;
    } else if (kind == "wrong-line-first") {
        rule.kind = FaultKind::WrongLineFirst;
        rule.line = rule.value.isEmpty() ? QByteArray("UNEXPECTED LINE") : rule.value;
    } else if (kind == "bad-crc") {
        rule.kind = FaultKind::BadCrc;
    } else if (kind == "split") {
        rule.kind = FaultKind::Split;
        bool ok = true;
        rule.number = rule.value.isEmpty() ? 3 : rule.value.toInt(&ok);
        if (!ok || rule.number < 2 || rule.number > 1000)
            return fail(QStringLiteral("split=N needs a number of fragments from 2 to 1000"));
    } else if (kind == "delay") {
        rule.kind = FaultKind::Delay;
        bool ok = false;
        rule.number = rule.value.toInt(&ok);
        if (!ok || rule.number < 0 || rule.number > 600000)
            return fail(QStringLiteral("delay=MS needs milliseconds from 0 to 600000"));
    } else if (kind == "drop") {
        rule.kind = FaultKind::Drop;
    } else if (kind == "dial") {
        rule.kind = FaultKind::Dial;
        const auto d = parseDial(rule.value);
        if (!d)
            return fail(QStringLiteral("dial=connect|busy|no-answer|no-carrier|no-dialtone|silent"));
        rule.dial = *d;
        if (rule.command.isEmpty())
            rule.command = "ATD";
    } else {
        return fail(QStringLiteral("unknown fault '%1'").arg(QString::fromLatin1(kind)));
    }
    if (rule.kind != FaultKind::WrongLineFirst && rule.kind != FaultKind::Split &&
        rule.kind != FaultKind::Delay && rule.kind != FaultKind::Dial && !rule.value.isEmpty())
        return fail(QStringLiteral("fault '%1' takes no value").arg(QString::fromLatin1(kind)));
    return rule;
}

bool commandMatches(const QByteArray& command, const QByteArray& request) {
    if (command.isEmpty())
        return true;
    const QByteArray req = stripPrefix(request);
    if (req.size() < command.size() || req.left(command.size()).toUpper() != command.toUpper())
        return false;
    return req.size() == command.size() || !continuesName(req[command.size()]);
}

QByteArray corruptCrc(const QByteArray& line, bool binary) {
    if (binary) {
        if (line.size() < 2)
            return line;
        QByteArray out = line;
        out[out.size() - 1] = static_cast<char>(out[out.size() - 1] ^ 0x5A);
        return out;
    }
    if (!CheckCRC(line))
        return line;
    QByteArray out = line;
    char& last = out[out.size() - 1];
    last = (last == '0') ? '1' : '0';
    return out;
}

Emissions toEmissions(const Reply& reply, const QByteArray& terminator) {
    Emissions out;
    int pause = reply.delayMs;
    for (const QByteArray& line : reply.lines) {
        const QByteArray bytes = reply.binary ? line : QByteArray(line + terminator);
        out.append(Emission{pause, bytes, LineAction::None, reply.binary});
        pause = 0;
    }
    if (reply.after != LineAction::None)
        out.append({pause + reply.afterDelayMs, {}, reply.after});
    return out;
}

Emissions FaultSet::apply(const QByteArray& request, const Reply& reply, const QByteArray& terminator) {
    Reply r = reply;
    int split = 0;
    bool drop = false;
    for (FaultRule& rule : m_rules) {
        if (rule.kind == FaultKind::Dial || rule.remaining == 0 || !commandMatches(rule.command, request))
            continue;
        if (rule.remaining > 0)
            --rule.remaining;
        switch (rule.kind) {
        case FaultKind::NoReply:
            r.lines.clear();
            break;
        case FaultKind::WrongLineFirst:
            r.lines.prepend(rule.line);
            break;
        case FaultKind::BadCrc:
            for (QByteArray& line : r.lines)
                line = corruptCrc(line, r.binary);
            break;
        case FaultKind::Split:
            split = rule.number;
            break;
        case FaultKind::Delay:
            r.delayMs += rule.number;
            break;
        case FaultKind::Drop:
            drop = true;
            break;
        case FaultKind::Dial:
            break;
        }
    }
    if (drop)
        return {{r.delayMs, {}, LineAction::EndSession}};
    if (split < 2 || r.lines.isEmpty())
        return toEmissions(r, terminator);

    QByteArray all;
    for (const QByteArray& line : r.lines)
        all += r.binary ? line : line + terminator;
    Emissions out;
    const qsizetype pieces = std::min<qsizetype>(split, all.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < pieces; ++i) {
        const qsizetype end = all.size() * (i + 1) / pieces;
        out.append(Emission{i == 0 ? r.delayMs : SplitPauseMs, all.mid(start, end - start), LineAction::None,
                            r.binary});
        start = end;
    }
    if (r.after != LineAction::None)
        out.append({r.afterDelayMs, {}, r.after});
    return out;
}

DialResult FaultSet::dialResult(const QByteArray& request) {
    for (FaultRule& rule : m_rules) {
        if (rule.kind != FaultKind::Dial || rule.remaining == 0 || !commandMatches(rule.command, request))
            continue;
        if (rule.remaining > 0)
            --rule.remaining;
        return rule.dial;
    }
    return DialResult::Connect;
}

} // namespace zvk::sim
