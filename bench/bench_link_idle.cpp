// CPU share of the idle tool: the whole main window with one TCP controller connected and the
// status poll every second. The controller answers every "ZVK+TS?" with a full status block from a
// thread of its own on a blocking socket, so between polls the tool has nothing to do but wait.
// Process CPU time (all threads, the controller's included) over a fixed stretch of wall time.

#include "bench_link.h"

#include <QApplication>
#include <QElapsedTimer>
#include <atomic>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 20;

    bench::Tool tool("UD1=1\r\nChBox1=1\r\n");
    const QByteArray reply = zvk::test::BlockBuilder().version(20, 20, 1).allLinks().reply() + "\r\n";

    std::atomic<bool> stop{false};
    std::atomic<int> polls{0};
    const int fd = bench::connectTo(tool.port);
    if (fd < 0) {
        std::fprintf(stderr, "cannot connect to the tool on port %u\n", tool.port);
        return 1;
    }
    std::thread controller([&] {
        QByteArray pending;
        char buf[4096];
        while (!stop) {
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            pending.append(buf, n);
            qsizetype at;
            while ((at = pending.indexOf("ZVK+TS?\r\n")) >= 0) {
                pending.remove(0, at + 9);
                bench::sendAll(fd, reply);
                ++polls;
            }
        }
    });

    // Connected, first exchange done, a few polls run: the steady state.
    bench::runFor(3000);
    if (!tool.window->linkState().TcpLinkUp() || !tool.window->pollTimer().isActive()) {
        std::fprintf(stderr, "the tool did not take the controller up\n");
        return 1;
    }
    const int pollsBefore = polls;
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = bench::cpuSeconds();
    bench::runFor(seconds * 1000);
    const double cpu = bench::cpuSeconds() - cpu0;
    const double elapsed = wall.elapsed() / 1000.0;
    const int measuredPolls = polls - pollsBefore;

    stop = true;
    ::shutdown(fd, SHUT_RDWR);
    controller.join();
    ::close(fd);

    std::printf("idle CPU share, one TCP client, poll every 1 s: %.2f %% of one core over %.0f s "
                "(%d polls, %.1f ms CPU per poll period; goal < 2 %%)\n",
                100.0 * cpu / elapsed, elapsed, measuredPolls, 1000.0 * cpu / std::max(1, measuredPolls));
    return 0;
}
