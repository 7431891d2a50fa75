// Status exchanges per second between the tool's request engine and the controller simulator, one
// request outstanding at a time, over loopback TCP and over a pseudo-terminal, beside the line-rate
// limit of 9600 baud (8N1, ten bits a byte) for the same bytes. This round trip bounds a DataFlash
// write, which takes over 4 000 exchanges.

#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationLog.h"
#include "link/RequestEngine.h"
#include "link/SerialLink.h"
#include "link/TcpServerLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>

using namespace zvk;

namespace {
constexpr int Seconds = 5;

struct Rate {
    int exchanges = 0;
    int failures = 0;
    qint64 bytes = 0; // request with its terminator, reply with CR LF
    double seconds = 0;
};

Rate measure(RequestEngine& engine) {
    Rate r;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < Seconds * 1000) {
        if (engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, 3) == RequestEngine::Matched &&
            CheckCRC(engine.LastLine)) {
            ++r.exchanges;
            r.bytes += 9 + engine.LastLine.size() + 2;
        } else {
            ++r.failures;
        }
    }
    r.seconds = double(t.elapsed()) / 1000.0;
    return r;
}

void report(const char* carrier, const Rate& r) {
    const double perExchange = r.exchanges ? double(r.bytes) / r.exchanges : 0;
    const double lineRate = perExchange > 0 ? 9600.0 / 10.0 / perExchange : 0;
    std::printf("%s: %.0f status exchanges/s (%d in %.1f s, %d failed), %.0f bytes each; "
                "9600 baud would carry %.2f/s, so the round trip adds %.3f %% to the line time\n",
                carrier, r.exchanges / r.seconds, r.exchanges, r.seconds, r.failures, perExchange, lineRate,
                r.exchanges ? 100.0 * lineRate / (r.exchanges / r.seconds) : 0.0);
}

// The simulator answers after a controller's own processing time (40 ms for a status block); with
// --time-scale 0 it answers at once, which leaves the cost of the tool and the carrier alone.
QString g_timeScale = QStringLiteral("1");
QStringList simArgs(QStringList extra) {
    return QStringList{QStringLiteral("--static"), QStringLiteral("--seed"), QStringLiteral("1"),
                       QStringLiteral("--time-scale"), g_timeScale} +
           extra;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--time-scale")
        g_timeScale = QString::fromLatin1(argv[2]);
    std::printf("simulator --time-scale %s\n", qPrintable(g_timeScale));
    const QString sim = QStringLiteral(ZVK_SIM_PATH);
    LinkState state;
    OperationLog log; // no view: the figure is the engine's and the simulator's
    SerialLink serial(state, log);
    TcpServerLink tcp(log);
    RequestEngine engine(state, serial, log);
    engine.setTcpLink(&tcp);

    // TCP: the simulator connects to a listening socket on loopback.
    tcp.setPort(0);
    QString error;
    if (!tcp.activate(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QProcess tcpSim;
    tcpSim.start(sim,
                 simArgs({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(tcp.boundPort())}));
    QElapsedTimer wait;
    wait.start();
    while (tcp.clientCount() == 0 && wait.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (tcp.clientCount() == 0) {
        std::fprintf(stderr, "the simulator did not connect\n");
        return 1;
    }
    state.setLinkUp(true);
    state.setTcpLinkUp(true);
    report("TCP loopback", measure(engine));
    state.setTcpLinkUp(false);
    state.setLinkUp(false);
    tcpSim.kill();
    tcpSim.waitForFinished();

    // Pseudo-terminal: the cable in text mode.
    QProcess ptySim;
    ptySim.start(sim, simArgs({QStringLiteral("--pty")}));
    if (!ptySim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the simulator printed no device path\n");
        return 1;
    }
    serial.setPortName(QString::fromLocal8Bit(ptySim.readLine().trimmed()));
    if (!serial.open(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    state.setLinkUp(true);
    report("pseudo-terminal", measure(engine));
    serial.close();
    ptySim.kill();
    ptySim.waitForFinished();
    return 0;
}
