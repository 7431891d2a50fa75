#include "PtyPeer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace zvk::test {

void pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(ms - t.elapsed()));
        QThread::usleep(200);
    }
}

bool pumpUntil(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!cond() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::usleep(200);
    }
    return cond();
}

PtyPeer::PtyPeer() {
    char name[128] = {};
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return;
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    tcgetattr(master, &tio);
    cfmakeraw(&tio);
    tcsetattr(master, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    m_master = master;
    m_slaveKeep = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyPeer::onReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyPeer::flushOutgoing);
}

PtyPeer::~PtyPeer() {
    m_notifier.reset();
    m_writeNotifier.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
}

void PtyPeer::closeMaster() {
    m_notifier.reset();
    m_writeNotifier.reset();
    m_outgoing.clear();
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
    m_slaveKeep = -1;
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void PtyPeer::write(const QByteArray& bytes) {
    if (m_master < 0)
        return;
    m_outgoing.append(bytes);
    flushOutgoing();
}

// Writes what the pty takes now and the rest when it becomes writable, so a large write never
// blocks the thread that also runs the tool's port.
void PtyPeer::flushOutgoing() {
    while (!m_outgoing.isEmpty() && m_master >= 0) {
        const ssize_t n = ::write(m_master, m_outgoing.constData(), size_t(m_outgoing.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        m_outgoing.remove(0, n);
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_outgoing.isEmpty());
}

void PtyPeer::writeLater(const QByteArray& bytes, int delayMs) {
    if (delayMs <= 0) {
        write(bytes);
        return;
    }
    QTimer::singleShot(delayMs, this, [this, bytes] { write(bytes); });
}

void PtyPeer::on(const QByteArray& line, const QByteArray& reply, int delayMs, int times) {
    m_rules.append({line, reply, delayMs, times, false});
}

void PtyPeer::onBytes(const QByteArray& bytes, const QByteArray& reply, int delayMs, int times) {
    m_rules.append({bytes, reply, delayMs, times, true});
}

void PtyPeer::clearReceived() {
    m_received.clear();
    m_partial.clear();
    m_lines.clear();
}

void PtyPeer::onReadable() {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && errno == EIO) {
                // The tool closed its side; wait for it to open again without spinning.
                m_notifier->setEnabled(false);
                QTimer::singleShot(20, this, [this] {
                    if (m_notifier)
                        m_notifier->setEnabled(true);
                });
            }
            break;
        }
        m_received.append(buf, n);
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buf[i];
            if (c == '\r' || c == '\n') {
                if (!m_partial.isEmpty()) {
                    const QByteArray line = m_partial;
                    m_partial.clear();
                    m_lines.append(line);
                    Q_EMIT lineArrived(line);
                    for (Rule& r : m_rules) {
                        if (r.binary || r.times == 0 || r.match != line)
                            continue;
                        if (r.times > 0)
                            --r.times;
                        writeLater(r.reply, r.delayMs);
                        break;
                    }
                    if (m_anyLine)
                        m_anyLine(line);
                }
            } else {
                m_partial.append(c);
            }
        }
        for (Rule& r : m_rules) {
            if (!r.binary || r.times == 0 || !m_received.endsWith(r.match))
                continue;
            if (r.times > 0)
                --r.times;
            m_partial.clear();
            writeLater(r.reply, r.delayMs);
            break;
        }
    }
}

bool PtyPeer::waitForBytes(qsizetype n, int timeoutMs) {
    return pumpUntil([&] { return m_received.size() >= n; }, timeoutMs);
}

bool PtyPeer::waitForLines(qsizetype n, int timeoutMs) {
    return pumpUntil([&] { return m_lines.size() >= n; }, timeoutMs);
}

} // namespace zvk::test
