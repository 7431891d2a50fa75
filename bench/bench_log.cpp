// The operation log in its real widget: the cost of one entry when the log already holds 1 000,
// 10 000 and 100 000 entries, the total time to append 100 000 entries, and the resident memory at
// 100 000. Entries alternate sent and received lines like a poll does, so the blank-line rule runs too.

#include "app/LogWidget.h"
#include "link/OperationLog.h"
#include "resident.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace zvk;
using bench::residentKiB;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LogWidget widget;
    widget.resize(218, 300);
    widget.show();
    OperationLog log;
    log.setView(&widget);
    const QByteArray sent = "ZVK+TS?";
    const QByteArray reply = "ZVK1414000000000000000100000000BC614E0FFF01FF16171819000000000000FFFF7F0000";

    const bool worstCase = argc > 1 && QByteArray(argv[1]) == "--flush-each-exchange";
    constexpr int Batch = 1000;
    qint64 entries = 0;
    auto appendBatch = [&] {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < Batch; i += 2) {
            log.serialSent(sent);
            log.serialReceived(reply);
            // The event loop runs between exchanges, as it does inside every wait; the widget adds
            // what arrived in each 20 ms as one batch, or each exchange alone in the worst case.
            if (i % 20 == 0)
                QCoreApplication::processEvents();
            if (worstCase)
                widget.flushPending();
        }
        widget.flushPending(); // what is still waiting belongs to this batch
        QCoreApplication::processEvents();
        entries += Batch;
        return double(t.nsecsElapsed()) / Batch / 1000.0;
    };

    const long rss0 = residentKiB();
    QElapsedTimer total;
    total.start();
    double at1k = 0, at10k = 0, at100k = 0;
    while (entries < 100000) {
        const double perEntry = appendBatch();
        if (entries == 1000)
            at1k = perEntry;
        else if (entries == 10000)
            at10k = perEntry;
        else if (entries == 100000)
            at100k = perEntry;
    }
    const double seconds = double(total.nsecsElapsed()) / 1e9;
    std::printf("%s\n", worstCase
                            ? "each exchange added alone (worst case of the batching)"
                            : "entries batched by the widget's 20 ms timer, events run every 10 entries");
    std::printf("log entry cost: %.2f us at 1 000, %.2f us at 10 000, %.2f us at 100 000 entries; ratio "
                "100k/1k %.2f (goal < 2)\n",
                at1k, at10k, at100k, at100k / at1k);
    std::printf(
        "appending 100 000 entries: %.2f s (goal < 5 s); resident memory %ld KiB at 100 000 (%+ld KiB)\n",
        seconds, residentKiB(), residentKiB() - rss0);
    return 0;
}
