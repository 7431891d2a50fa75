#pragma once
// Shared by the link benchmarks: the whole main window in a temporary application folder, and
// controllers on plain blocking sockets in a thread of their own, so the peer costs the tool's
// event loop nothing.

#include "BlockBuilder.h"
#include "app/MessageBoxes.h"
#include "app/TForm1.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bench {

inline quint16 unusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

// The main window shown (offscreen unless a display is set) with a settings file of these Form1 keys.
struct Tool {
    explicit Tool(const QByteArray& form1 = {}) {
        QDir::setCurrent(dir.path());
        QDir(dir.path()).mkdir(QStringLiteral("INI"));
        port = unusedPort();
        QFile ini(dir.filePath(QStringLiteral("INI/5099.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[Form1]\r\n" + form1 + "[Form4]\r\nEdit1Text=" + QByteArray::number(port) + "\r\n");
        ini.close();
        zvk::boxes::setHook([](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
            std::fprintf(stderr, "box: %s\n", qPrintable(text));
            return QMessageBox::Ok;
        });
        window = std::make_unique<zvk::TForm1>();
        window->show();
    }
    QTemporaryDir dir;
    quint16 port = 0;
    std::unique_ptr<zvk::TForm1> window;
};

inline void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A blocking client socket to 127.0.0.1; -1 when it cannot connect.
inline int connectTo(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline void sendAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += n;
    }
}

} // namespace bench
