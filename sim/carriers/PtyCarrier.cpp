#include "carriers/PtyCarrier.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zvk::sim {

namespace {
constexpr int AttachPollMs = 20; // the tool sends its first line right after opening
}

PtyCarrier::PtyCarrier(Endpoint& endpoint, const QElapsedTimer& clock, const TrafficLog& log, QObject* parent)
    : Carrier("pty", endpoint, clock, log, parent) {
    m_attachPoll.setInterval(AttachPollMs);
    connect(&m_attachPoll, &QTimer::timeout, this, &PtyCarrier::checkAttached);
}

PtyCarrier::~PtyCarrier() {
    m_notifier.reset();
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyCarrier::open(QString* error) {
    // Raw 9600 8N1 from the start: the tool's port restores these settings when it closes, and
    // a cooked line would echo our replies back to us.
    termios tio{};
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tio.c_cflag |= CLOCAL | CREAD;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&m_master, &slave, name, &tio, nullptr) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    ::close(slave); // the tool opens it; until then the master reads a hang-up
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    m_notifier->setEnabled(false);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyCarrier::onReadable);
    m_attachPoll.start();
    return true;
}

void PtyCarrier::checkAttached() {
    pollfd p{m_master, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0 || (p.revents & POLLHUP))
        return;
    m_attached = true;
    m_attachPoll.stop();
    m_notifier->setEnabled(true);
    m_log.detail(QStringLiteral("the tool opened %1").arg(m_slavePath));
    if (p.revents & POLLIN)
        onReadable();
}

void PtyCarrier::detach() {
    if (!m_attached)
        return;
    m_attached = false;
    m_notifier->setEnabled(false);
    lineLost();
    m_log.detail(QStringLiteral("the tool closed %1").arg(m_slavePath));
    m_attachPoll.start();
}

void PtyCarrier::onReadable() {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            received(QByteArray(buf, static_cast<qsizetype>(n)));
            if (!m_attached)
                return;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        detach(); // EIO: the last holder of the slave closed it
        return;
    }
}

bool PtyCarrier::writeBytes(const QByteArray& bytes) {
    if (!m_attached)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // The tool is not reading and the line's buffer is full: the rest is lost, as on a wire.
        m_log.detail(QStringLiteral("%1 bytes lost on %2").arg(bytes.size() - done).arg(m_slavePath));
        return false;
    }
    return true;
}

void PtyCarrier::act(LineAction action) {
    switch (action) {
    case LineAction::CarrierLost: {
        int bits = TIOCM_CAR;
        if (::ioctl(m_master, TIOCMBIC, &bits) != 0 && !m_dcdReported) {
            m_dcdReported = true;
            m_log.note(QStringLiteral("the call ended, but a pseudo-terminal cannot lower DCD (%1); "
                                      "the tool learns of it from \"NO CARRIER\" only")
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
        }
        break;
    }
    case LineAction::ConnectServer:
        Q_EMIT serverRequested();
        break;
    case LineAction::EndSession:
        // A cable cannot be unplugged from here; the controller just stays silent.
        m_log.detail(QStringLiteral("the controller ended the session on the cable"));
        break;
    case LineAction::None:
        break;
    }
}

} // namespace zvk::sim
