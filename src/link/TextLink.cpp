#include "link/TextLink.h"

#include "link/OperationLog.h"

#include <cstring>

namespace zvk {

void TextLink::assemble(const QByteArray& data) {
    const char* p = data.constData();
    const char* end = p + data.size();
    while (p < end) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', size_t(end - p)));
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t((cr ? cr : end) - p)));
        const char* term = lf ? lf : cr;
        const char* stop = term ? term : end;
        if (!m_discarding) {
            RxBuffer.append(p, stop - p);
            if (RxBuffer.size() > MaxPartialLine) {
                const qsizetype dropped = RxBuffer.size();
                RxBuffer.clear();
                m_discarding = true; // the rest of this line would be a fragment, not a line
                m_log.WriteInfToRich(
                    QStringLiteral("Строка без конца строки длиннее %1 байт отброшена (%2 байт)")
                        .arg(MaxPartialLine)
                        .arg(dropped));
            }
        }
        if (!term)
            return;
        p = term + 1;
        if (m_discarding) {
            m_discarding = false;
            continue;
        }
        if (RxBuffer.isEmpty())
            continue; // an empty line, or the LF of a CR LF pair
        const QByteArray line = RxBuffer;
        RxBuffer.clear();
        const bool first = !LineReady;
        if (first) {
            LastLine = line;
            LineReady = true;
        }
        handleLine(line);
        if (first)
            Q_EMIT lineReadyRaised();
        Q_EMIT lineReceived(line);
    }
}

} // namespace zvk
