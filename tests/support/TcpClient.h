#pragma once
// A controller that connects to the tool's listening socket over 127.0.0.1, on the test's thread: it
// records what it receives, line by line, and can answer the status request.

#include "PtyPeer.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

namespace zvk::test {

// A controller that connects to the tool over TCP.
class TcpClient : public QObject {
public:
    explicit TcpClient(quint16 port) {
        connect(&socket, &QTcpSocket::readyRead, this, [this] {
            const QByteArray data = socket.readAll();
            received += data;
            m_partial += data;
            qsizetype end;
            while ((end = m_partial.indexOf('\r')) >= 0) {
                const QByteArray line = m_partial.left(end);
                m_partial.remove(0, end + 1);
                if (m_partial.startsWith('\n'))
                    m_partial.remove(0, 1);
                lines << line;
                if (onLine)
                    onLine(line);
            }
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool waitConnected() {
        return pumpUntil([this] { return socket.state() == QAbstractSocket::ConnectedState; });
    }
    bool waitForLine(const QByteArray& line, int timeoutMs = 3000) {
        return pumpUntil([&] { return lines.contains(line); }, timeoutMs);
    }
    void send(const QByteArray& bytes) {
        socket.write(bytes);
        socket.flush();
    }
    // Answers "ZVK+TS?" with reply, in pieces this many milliseconds apart.
    void answerStatus(const QByteArray& reply, int pieces = 1, int gapMs = 30) {
        onLine = [this, reply, pieces, gapMs](const QByteArray& line) {
            if (line != "ZVK+TS?")
                return;
            const qsizetype size = (reply.size() + pieces - 1) / pieces;
            for (int i = 0; i < pieces; ++i)
                QTimer::singleShot(gapMs * (i + 1), this,
                                   [this, part = reply.mid(i * size, size)] { send(part); });
        };
    }

    QTcpSocket socket;
    QByteArray received;
    QList<QByteArray> lines;
    std::function<void(const QByteArray&)> onLine;

private:
    QByteArray m_partial;
};

} // namespace zvk::test
