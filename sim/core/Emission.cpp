#include "core/Emission.h"

#include <algorithm>

namespace zvk::sim {

void OutputQueue::push(const Emissions& pieces, qint64 nowMs) {
    qint64 due = m_items.isEmpty() ? nowMs : std::max(nowMs, m_lastDue);
    for (const Emission& e : pieces) {
        due += std::max(0, e.delayMs);
        m_items.append({due, e});
    }
    if (!pieces.isEmpty())
        m_lastDue = due;
}

Emissions OutputQueue::takeDue(qint64 nowMs) {
    Emissions out;
    while (!m_items.isEmpty() && m_items.first().due <= nowMs)
        out.append(m_items.takeFirst().emission);
    return out;
}

void OutputQueue::clear() {
    m_items.clear();
    m_lastDue = 0;
}

} // namespace zvk::sim
