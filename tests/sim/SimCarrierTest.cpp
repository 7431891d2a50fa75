// The real zvk35-sim executable: its command line, and its carriers end to end (a raw termios
// client on the pseudo-terminal it opens, a TCP server it connects to).

#include "SimTestUtil.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace zvk::sim::test;

namespace {

const QString SimExe = QStringLiteral(ZVK_SIM_EXE);

struct Sim {
    explicit Sim(const QStringList& args) {
        process.start(SimExe, args);
        started = process.waitForStarted(5000);
    }
    ~Sim() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000))
                process.kill();
            process.waitForFinished(3000);
        }
    }
    QString firstLine() {
        while (!process.canReadLine() && process.waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    QProcess process;
    bool started = false;
};

// A serial client the way a terminal program is one: open the device, make it raw.
int openRaw(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

void writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (errno != EAGAIN && errno != EINTR)
            return;
    }
}

// Reads until `until` returns true for what has arrived, or the time is up.
QByteArray readUntil(int fd, const std::function<bool(const QByteArray&)>& until, int timeoutMs = 5000) {
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (!until(got) && t.elapsed() < timeoutMs) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0 && (p.revents & POLLIN)) {
            char buf[1024];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
        }
    }
    return got;
}

QByteArray readLines(int fd, int lines) {
    return readUntil(fd, [lines](const QByteArray& b) { return b.count("\r\n") >= lines; });
}

TEST(SimCommandLine, BadOptionsPrintTheUsageAndExitWith2) {
    const QStringList cases[] = {
        {QStringLiteral("--bogus")},
        {}, // no carrier
        {QStringLiteral("--pty"), QStringLiteral("--firmware"), QStringLiteral("20.20")},
        {QStringLiteral("--pty"), QStringLiteral("--firmware"), QStringLiteral("20.256.1")},
        {QStringLiteral("--pty"), QStringLiteral("--modem"), QStringLiteral("nokia")},
        {QStringLiteral("--tcp"), QStringLiteral("localhost")},
        {QStringLiteral("--tcp"), QStringLiteral("localhost:0")},
        {QStringLiteral("--pty"), QStringLiteral("--fault"), QStringLiteral("explode")},
        {QStringLiteral("--pty"), QStringLiteral("--seed"), QStringLiteral("x")},
        {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:7778"), QStringLiteral("--modbus")},
        {QStringLiteral("--pty"), QStringLiteral("--modem"), QStringLiteral("g24"),
         QStringLiteral("--modbus")},
        {QStringLiteral("--pty"), QStringLiteral("stray")},
    };
    for (const QStringList& args : cases) {
        QProcess p;
        p.start(SimExe, args);
        ASSERT_TRUE(p.waitForFinished(5000)) << args.join(u' ').toStdString();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("Usage:")) << args.join(u' ').toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    }
}

TEST(SimCommandLine, HelpAndVersion) {
    QProcess help;
    help.start(SimExe, {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    const QByteArray usage = help.readAllStandardOutput();
    for (const char* option :
         {"--tcp", "--pty", "--modbus", "--modem", "--firmware", "--fault", "--seed", "--verbose"})
        EXPECT_TRUE(usage.contains(option)) << option;

    QProcess version;
    version.start(SimExe, {QStringLiteral("--version")});
    ASSERT_TRUE(version.waitForFinished(5000));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_EQ(version.readAllStandardOutput(), QByteArray("zvk35-sim 1.0\n"));
}

TEST(SimPty, CableInTextModeSurvivesTheToolReopeningThePort) {
    Sim sim({QStringLiteral("--pty"), QStringLiteral("--static"), QStringLiteral("--time-scale"),
             QStringLiteral("0")});
    ASSERT_TRUE(sim.started);
    const QString path = sim.firstLine();
    ASSERT_TRUE(path.startsWith(u"/dev/")) << path.toStdString();

    int fd = openRaw(path);
    ASSERT_GE(fd, 0);
    writeAll(fd, "SET_CONFIG_MODE?\r");
    EXPECT_EQ(readLines(fd, 1), QByteArray("ZVKOK\r\n"));
    writeAll(fd, "ZVK+TS?\r\n");
    const QByteArray status = readLines(fd, 1);
    ASSERT_TRUE(status.endsWith("\r\n"));
    EXPECT_TRUE(status.startsWith("ZVK"));
    EXPECT_EQ(status.size(), 3 + 2 * 152 + 4 + 2); // firmware 20.20.1
    EXPECT_TRUE(crcOk(status.chopped(2)));
    ::close(fd);

    fd = openRaw(path);
    ASSERT_GE(fd, 0);
    writeAll(fd, "ZVK+VT?\r");
    EXPECT_EQ(readLines(fd, 1), withCrc("VT=1E3C78") + "\r\n");
    ::close(fd);
}

TEST(SimPty, CableInModbusModeAndTheSwitchToText) {
    Sim sim({QStringLiteral("--pty"), QStringLiteral("--modbus"), QStringLiteral("--static"),
             QStringLiteral("--time-scale"), QStringLiteral("0")});
    ASSERT_TRUE(sim.started);
    const int fd = openRaw(sim.firstLine());
    ASSERT_GE(fd, 0);
    writeAll(fd, hexBytes("1F 03 00 00 00 44 46 47"));
    const QByteArray reply = readUntil(fd, [](const QByteArray& b) { return b.size() >= 141; });
    ASSERT_EQ(reply.size(), 141);
    EXPECT_EQ(reply.left(3), hexBytes("1F 03 88"));
    const std::uint16_t crc = crcBitwise(reply.left(139));
    EXPECT_EQ(byteAt(reply, 139), crc & 0xFF);
    EXPECT_EQ(byteAt(reply, 140), crc >> 8);

    writeAll(fd, hexBytes("1F 06 00 05 00 01 5B B5"));
    EXPECT_EQ(readUntil(fd, [](const QByteArray& b) { return b.size() >= 8; }),
              hexBytes("1F 06 00 05 00 01 5B B5"));
    writeAll(fd, "SET_CONFIG_MODE?\r");
    EXPECT_EQ(readLines(fd, 1), QByteArray("ZVKOK\r\n"));
    ::close(fd);
}

TEST(SimPty, ModemDialsAndReportsTheEndOfTheCall) {
    Sim sim({QStringLiteral("--pty"), QStringLiteral("--modem"), QStringLiteral("g24"),
             QStringLiteral("--static"), QStringLiteral("--time-scale"), QStringLiteral("0.01")});
    ASSERT_TRUE(sim.started);
    const int fd = openRaw(sim.firstLine());
    ASSERT_GE(fd, 0);
    writeAll(fd, "ATE0\r");
    EXPECT_EQ(readLines(fd, 2), QByteArray("ATE0\r\r\nOK\r\n"));
    writeAll(fd, "AT+CREG?\r");
    EXPECT_EQ(readLines(fd, 4), QByteArray("\r\n+CREG: 000,001\r\n\r\nOK\r\n"));
    writeAll(fd, "ATD89001234567\r");
    EXPECT_EQ(readLines(fd, 2), QByteArray("\r\nCONNECT 9600\r\n"));
    writeAll(fd, "ZVK+DISCONNECT\r");
    EXPECT_EQ(readLines(fd, 3), QByteArray("DISCONNECT\r\n\r\nNO CARRIER\r\n"));
    ::close(fd);
}

TEST(SimTcp, ConnectsAnswersAndReconnects) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    Sim sim({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(server.serverPort()),
             QStringLiteral("--reconnect-ms"), QStringLiteral("100"), QStringLiteral("--static"),
             QStringLiteral("--time-scale"), QStringLiteral("0"), QStringLiteral("--firmware"),
             QStringLiteral("20.11.4")});
    ASSERT_TRUE(sim.started);

    auto accept = [&server]() -> std::unique_ptr<QTcpSocket> {
        if (!server.waitForNewConnection(5000))
            return nullptr;
        return std::unique_ptr<QTcpSocket>(server.nextPendingConnection());
    };
    auto readLine = [](QTcpSocket& s) {
        QByteArray got;
        while (!got.contains("\r\n") && s.waitForReadyRead(5000))
            got += s.readAll();
        return got;
    };

    std::unique_ptr<QTcpSocket> first = accept();
    ASSERT_TRUE(first);
    first->write("ZVK+TS?\r\n");
    const QByteArray status = readLine(*first);
    EXPECT_EQ(status.size(), 3 + 2 * 148 + 4 + 2);
    EXPECT_TRUE(crcOk(status.chopped(2)));

    // "ZVK+DISCONNECT": the controller answers, closes, and comes back.
    first->write("ZVK+DISCONNECT\r");
    EXPECT_EQ(readLine(*first), QByteArray("DISCONNECT\r\n"));
    EXPECT_TRUE(first->state() == QAbstractSocket::UnconnectedState || first->waitForDisconnected(5000));
    std::unique_ptr<QTcpSocket> second = accept();
    ASSERT_TRUE(second);

    // The tool drops it: it comes back again.
    second->abort();
    std::unique_ptr<QTcpSocket> third = accept();
    ASSERT_TRUE(third);
    third->write("SET_CONFIG_MODE?\r");
    EXPECT_EQ(readLine(*third), QByteArray("ZVKOK\r\n"));
}

} // namespace
