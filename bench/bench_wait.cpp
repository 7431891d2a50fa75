// Two figures of the request engine on a real QSerialPort over a pseudo-terminal:
//  - CPU time of the process during a 5-second Ozidanie that gets no reply, as a share of wall time;
//  - reply latency: from the peer writing the reply line to Ozidanie returning 0, over 1000 requests.
// The peer runs on its own thread with a blocking read, so its timestamps are taken the moment it
// writes, independent of the tool's event loop.

#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationLog.h"
#include "link/RequestEngine.h"
#include "link/SerialLink.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zvk;
using Clock = std::chrono::steady_clock;

namespace {
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int master = -1, slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);

    LinkState state;
    OperationLog log; // no view: the figures are of the engine, not of the log widget
    SerialLink serial(state, log);
    RequestEngine engine(state, serial, log);
    serial.setPortName(QString::fromLocal8Bit(name));
    QString error;
    if (!serial.open(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    // 1. CPU share of a silent wait.
    const double cpu0 = cpuSeconds();
    const auto wall0 = Clock::now();
    const int silent = engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, 5);
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    const double cpu = cpuSeconds() - cpu0;
    std::printf(
        "silent 5-step Ozidanie: result %d, wall %.3f s, CPU %.4f s = %.3f %% of wall (goal < 1 %%)\n",
        silent, wall, cpu, 100.0 * cpu / wall);

    // 2. Reply latency.
    constexpr int Requests = 1000;
    std::atomic<long long> writtenAt{0};
    std::atomic<bool> stop{false};
    std::thread peer([&] {
        std::string line;
        char c;
        while (!stop && ::read(master, &c, 1) == 1) {
            if (c != '\r' && c != '\n') {
                line += c;
                continue;
            }
            if (line.empty())
                continue;
            line.clear();
            static const char reply[] = "ZVK0102030405\r\n";
            writtenAt = Clock::now().time_since_epoch().count();
            [[maybe_unused]] ssize_t n = ::write(master, reply, sizeof reply - 1);
        }
    });
    std::vector<double> micros;
    micros.reserve(Requests);
    int failures = 0;
    for (int i = 0; i < Requests; ++i) {
        writtenAt = 0;
        const int r = engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, 2);
        const long long done = Clock::now().time_since_epoch().count();
        if (r != RequestEngine::Matched || writtenAt == 0) {
            ++failures;
            continue;
        }
        micros.push_back(double(done - writtenAt.load()) / 1000.0);
    }
    stop = true;
    [[maybe_unused]] ssize_t unblock = ::write(slave, "\n", 1);
    serial.close();
    ::close(slave);
    ::close(master);
    peer.join();
    std::sort(micros.begin(), micros.end());
    auto pct = [&](double p) { return micros.empty() ? 0.0 : micros[size_t(p * double(micros.size() - 1))]; };
    std::printf("reply latency over %d requests (%d failed): median %.1f us, p99 %.1f us, max %.1f us (goal: "
                "median < 1000 us)\n",
                Requests, failures, pct(0.5), pct(0.99), micros.empty() ? 0.0 : micros.back());
    return 0;
}
