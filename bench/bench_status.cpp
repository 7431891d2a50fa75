// Cost of one status block on screen: decoding a new-layout block with the extra box-2 sensors into
// the status view, rendering it into both status tabs and painting for real (offscreen platform).
// Each block differs from the one before, so every render has changed cells to draw.
//
// Main figure: decode + render + the event processing that paints what the render changed, as the
// window does after each block. Second figure: the same with a forced repaint of both whole tabs
// (every group, label and grid), the worst case.

#include "BlockBuilder.h"
#include "app/StatusTabs.h"
#include "status/StatusDecoder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zvk;

namespace {

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

double median(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double percentile90(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    return values[values.size() * 9 / 10];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QWidget page1;
    QWidget page2;
    page1.resize(900, 650);
    page2.resize(900, 650);
    StatusTabs tabs(&page1, &page2);
    page1.show();
    page2.show();
    QCoreApplication::processEvents();

    constexpr int Blocks = 1000;
    std::vector<QByteArray> blocks;
    blocks.reserve(Blocks);
    for (int i = 0; i < Blocks; ++i) {
        test::BlockBuilder b;
        b.version(20, 20, 1).set32(14, 860000000 + i).set(33, i % 7 ? 0xFF : 0xBE).set(32, 0x7F);
        b.set16(18, 0x0FFF ^ (1 << (i % 12))).set16(20, 0x01FF).set16(104, 0x01FF ^ (i & 1));
        b.set(23, 20 + i % 9).set(25, 21).set(103, 22).set(3, 0xF0 + i % 16);
        b.set(137, 23)
            .set(139, 24)
            .set(141, 25)
            .set(149, i % 50)
            .set(151, 26)
            .set(143, 27)
            .set(145, 28)
            .set(147, 29);
        b.set(37, i % 64).set(36, (i / 2) % 16).set(34, (i / 3) % 16);
        b.set16(38, 1u << (i % 16)).set16(26, 220 + i % 20).set16(28, 230).set16(30, 225).set(35, i % 64);
        b.set(41, i % 50 ? 0 : 3)
            .set32(42, 1000000u + 137u * i)
            .set16(46, 1500 + i)
            .set16(48, 1400)
            .set16(50, 1300);
        b.set(134, 0x10)
            .set16(54, 1u << (i % 14))
            .set16(56, 1 + i % 11)
            .set32(58, 54000 + i)
            .set32(62, 23500 - i);
        b.set32(66, 40).set32(70, 53900).set32(74, 0xFFFFF830).set32(78, 229000).set32(82, 231000);
        b.set32(86, 230000).set32(90, 25500).set32(94, 24000).set16(98, 2).set16(100, 2 + i % 12);
        blocks.push_back(b.reply());
    }

    StatusView view;
    const DecodeContext context{true, false, QDateTime::currentDateTime()};
    PaintCounter counter;
    for (int n = 1; n <= 11; ++n)
        tabs.grid(n)->viewport()->installEventFilter(&counter);

    std::vector<double> changed;
    changed.reserve(Blocks);
    QElapsedTimer timer;
    for (const QByteArray& block : blocks) {
        timer.start();
        DecodirovanieUL(block, view, context);
        tabs.render(view);
        QCoreApplication::processEvents();
        changed.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const double gridPaints = double(counter.paints) / Blocks;

    std::vector<double> full;
    full.reserve(Blocks);
    for (int i = Blocks - 1; i >= 0; --i) {
        timer.start();
        DecodirovanieUL(blocks[i], view, context);
        tabs.render(view);
        page1.repaint();
        page2.repaint();
        QCoreApplication::processEvents();
        full.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    const double changedMedian = median(changed);
    const double changedP90 = percentile90(changed);
    std::printf(
        "status block decode + render + paint: median %.3f ms (p90 %.3f ms, %.1f grid paints per block) "
        "over %d blocks; with a forced repaint of both whole tabs median %.3f ms\n",
        changedMedian, changedP90, gridPaints, Blocks, median(full));
    return 0;
}
