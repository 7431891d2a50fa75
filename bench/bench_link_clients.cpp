// Memory after many short TCP visits: 200 controllers connect to the whole main window, send a line
// without its end, and leave, all within 10 s; most leave before their first status exchange, every
// tenth stays long enough for it to start. Resident memory is taken after a warm-up round and after
// the 200, each time once the deferred deletions have run and the allocator has returned free pages.
// Main figure: with the operation log and the progress window cleared around the round, so only what
// the connections leave counts. Second figure: the texts kept, as in the running tool, where the log
// grows by design until "CLEAR".

#include "app/TForm2.h"
#include "bench_link.h"
#include "resident.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTcpSocket>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <thread>

namespace {

// After the allocator has returned its free pages, so only memory still in use counts.
long residentKiB() {
    malloc_trim(0);
    return bench::residentKiB();
}

// Visits from a thread of their own while the tool's event loop runs; returns the seconds taken.
double visit(quint16 port, int count) {
    std::atomic<bool> done{false};
    QElapsedTimer wall;
    wall.start();
    std::thread clients([&] {
        using namespace std::chrono_literals;
        for (int i = 0; i < count; ++i) {
            const int fd = bench::connectTo(port);
            if (fd < 0)
                continue;
            bench::sendAll(fd, "ZVK0102A0");
            std::this_thread::sleep_for(i % 10 == 9 ? 120ms : 25ms);
            ::close(fd);
            std::this_thread::sleep_for(10ms);
        }
        done = true;
    });
    while (!done)
        bench::runFor(20);
    const double seconds = wall.elapsed() / 1000.0;
    clients.join();
    bench::runFor(500); // the last departures and Timer_ClientConnect
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    bench::runFor(100);
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Tool tool;
    zvk::TForm1& w = *tool.window;
    auto* log = w.findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"));

    const auto clearTexts = [&] {
        w.BitBtn9Click(); // "CLEAR"
        w.form2()->memo()->clear();
        bench::runFor(50);
    };

    visit(tool.port, 20);
    // First round: the log and the progress window keep every line, as in the running tool.
    const long before = residentKiB();
    const int logBefore = log->blockCount();
    const int memoBefore = w.form2()->memo()->blockCount();
    const double seconds = visit(tool.port, 200);
    const long after = residentKiB();
    const int logLines = log->blockCount() - logBefore;
    const int memoLines = w.form2()->memo()->blockCount() - memoBefore;

    // Second round with both texts cleared before and after: what is left is the connections' own.
    clearTexts();
    const long clearedBefore = residentKiB();
    const double secondsCleared = visit(tool.port, 200);
    clearTexts();
    const long clearedAfter = residentKiB();
    const int sockets = int(w.tcp().findChildren<QTcpSocket*>().size());

    std::printf(
        "resident memory over 200 TCP visits (connect, partial line, leave) in %.1f s, log and progress "
        "window cleared: %+ld KiB (%.1f -> %.1f MiB; sockets left %d, LinkUp %d, TcpLinkUp %d; goal: "
        "growth under 1 MiB)\n",
        secondsCleared, clearedAfter - clearedBefore, clearedBefore / 1024.0, clearedAfter / 1024.0, sockets,
        int(w.linkState().LinkUp()), int(w.linkState().TcpLinkUp()));
    std::printf("resident memory over 200 TCP visits in %.1f s, log and progress window kept: %+ld KiB "
                "(%.1f -> %.1f MiB; +%d log lines, +%d progress lines)\n",
                seconds, after - before, before / 1024.0, after / 1024.0, logLines, memoLines);
    return 0;
}
